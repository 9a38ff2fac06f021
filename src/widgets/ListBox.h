#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// A list box: one text item per row, unsorted. Built on a uniform-size view over a string model so that
// a file of many thousand lines fills it in one batch.
class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    void clear();
    void addItem(const QString& text);
    void setItems(QStringList items);
    [[nodiscard]] QStringList items() const;
    [[nodiscard]] int listCount() const;
    [[nodiscard]] QString itemText(int index) const;
    // The picked item, or -1.
    [[nodiscard]] int listIndex() const;
    void setListIndex(int index);
    [[nodiscard]] QString text() const { return itemText(listIndex()); }

signals:
    // The picked item changed, by mouse, keyboard or code.
    void itemPicked(int index);

private:
    QStringListModel* model_;
};
