#include "widgets/ListBox.h"

#include <QStringListModel>

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (current.isValid())
                    emit itemPicked(current.row());
            });
}

void ListBox::clear() {
    model_->setStringList({});
}

void ListBox::addItem(const QString& text) {
    const int row = model_->rowCount();
    model_->insertRows(row, 1);
    model_->setData(model_->index(row), text);
}

void ListBox::setItems(QStringList items) {
    model_->setStringList(std::move(items));
}

QStringList ListBox::items() const {
    return model_->stringList();
}

int ListBox::listCount() const {
    return model_->rowCount();
}

QString ListBox::itemText(int index) const {
    if (index < 0 || index >= model_->rowCount())
        return {};
    return model_->data(model_->index(index)).toString();
}

int ListBox::listIndex() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

void ListBox::setListIndex(int index) {
    if (index < 0 || index >= model_->rowCount()) {
        setCurrentIndex({});
        clearSelection();
        return;
    }
    setCurrentIndex(model_->index(index));
}
