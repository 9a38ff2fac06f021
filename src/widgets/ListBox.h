#pragma once

#include "core/RowTable.h"

#include <QAbstractItemView>
#include <QStringList>

class ListBoxModel;
class ListBoxDelegate;

// A list box: one text item per row, unsorted. Its rows are held compactly (core/RowTable) and the view
// keeps nothing per row, so a file of a hundred million short lines costs little more than its text and
// is shown at once. A row shows at most kShownChars characters of its item (painting a line of megabytes
// would freeze the window); the item itself stays whole. Every row is as wide as the widest, so the list
// scrolls sideways to the end of any row and clips rather than elides.
class ListBox : public QAbstractItemView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    static constexpr qsizetype kShownChars = 1000;
    // How many of the rows estimated widest are laid out to find the widest.
    static constexpr int kRowsLaidOut = 16;

    void clear();
    void addItem(const QString& text);
    // `shown`, when given, is what each row shows instead of its item (a file's name as the player reads
    // it, for instance).
    void setItems(QStringList items, QStringList shown = {});
    // Takes a table read elsewhere; `widest`, when known, are the rows whose width to measure (see
    // widthRank()), or all are ranked here.
    void setRows(RowTable rows, std::vector<qsizetype> widest = {}, bool ranked = false);
    // The estimate rows are ranked by in this list's font, for ranking on a worker.
    [[nodiscard]] WidthRank widthRank() const;
    [[nodiscard]] const RowTable& rows() const;
    [[nodiscard]] QStringList items() const;
    [[nodiscard]] int listCount() const;
    [[nodiscard]] QString itemText(int index) const;
    // The first item from `from` on that reads `text`, or -1.
    [[nodiscard]] int findText(const QString& text, int from = 0) const;
    // The picked (selected) item, or -1.
    [[nodiscard]] int listIndex() const;
    // Picks an item, or none for an index out of range.
    void setListIndex(int index);
    [[nodiscard]] QString text() const { return itemText(listIndex()); }

    [[nodiscard]] QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    [[nodiscard]] QModelIndex indexAt(const QPoint& point) const override;

signals:
    // Another item was picked, by mouse, keyboard or code. Focus alone never picks. -1 when a reloaded
    // file lost the row that was picked.
    void itemPicked(int index);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    [[nodiscard]] int horizontalOffset() const override;
    [[nodiscard]] int verticalOffset() const override;
    [[nodiscard]] bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    [[nodiscard]] QRegion visualRegionForSelection(const QItemSelection& selection) const override;

private:
    // The highlighted row is always the picked one (or none), so the keys act on what the player sees.
    void matchCurrentToPick();
    // Measures the rows `candidates` (all rows ranked when not `ranked`), or whether `row` is wider than
    // the widest so far.
    void findWidestRow(std::vector<qsizetype> candidates = {}, bool ranked = false);
    void measureRow(qsizetype row);
    // Every row's size: the widest row's; empty for an empty list.
    [[nodiscard]] QSize rowSize() const;
    [[nodiscard]] int rowHeight() const;
    [[nodiscard]] int visibleRows() const;
    [[nodiscard]] int topRow() const;

    ListBoxModel* model_;
    ListBoxDelegate* delegate_;
    mutable QSize rowSize_;
};
