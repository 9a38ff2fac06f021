#pragma once

#include <QListView>
#include <QStringList>

class ListBoxModel;
class ListBoxDelegate;

// A list box: one text item per row, unsorted. Built on a uniform-size view over its own model so that
// a file of many thousand lines fills it in one batch. A row shows at most kShownChars characters of its
// item (painting a line of megabytes would freeze the window); the item itself stays whole. Every row is
// as wide as the widest, so the list scrolls sideways to the end of any row and clips rather than elides.
class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    static constexpr qsizetype kShownChars = 1000;

    void clear();
    void addItem(const QString& text);
    // `shown`, when given, is what each row shows instead of its item (a file's name as the player reads
    // it, for instance).
    void setItems(QStringList items, QStringList shown = {});
    [[nodiscard]] QStringList items() const;
    [[nodiscard]] int listCount() const;
    [[nodiscard]] QString itemText(int index) const;
    // The picked (selected) item, or -1.
    [[nodiscard]] int listIndex() const;
    // Picks an item, or none for an index out of range.
    void setListIndex(int index);
    [[nodiscard]] QString text() const { return itemText(listIndex()); }

signals:
    // Another item was picked, by mouse, keyboard or code. Focus alone never picks. -1 when a reloaded
    // file lost the row that was picked.
    void itemPicked(int index);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* event) override;

private:
    // The highlighted row is always the picked one (or none), so the keys act on what the player sees.
    void matchCurrentToPick();
    // Finds the widest row from scratch, or whether `row` is wider than the widest so far.
    void findWidestRow(int row = -1);

    ListBoxModel* model_;
    ListBoxDelegate* delegate_;
};
