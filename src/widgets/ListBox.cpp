#include "widgets/ListBox.h"

#include <QStringListModel>
#include <QTimer>

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) {
                if (!selected.indexes().isEmpty())
                    emit itemPicked(selected.indexes().first().row());
            });
}

void ListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    // A view makes a row current without picking it when it gets the focus, and a handler that
    // re-reads the list while the view is still moving leaves a stale row current. Neither is a pick:
    // put the highlight back on the picked row once the view has finished.
    if (current.isValid() && !selectionModel()->isSelected(current))
        QTimer::singleShot(0, this, &ListBox::matchCurrentToPick);
}

void ListBox::matchCurrentToPick() {
    const QModelIndexList picked = selectionModel()->selectedIndexes();
    const QModelIndex current = currentIndex();
    if (picked.isEmpty()) {
        if (current.isValid())
            selectionModel()->clearCurrentIndex();
    } else if (current != picked.first()) {
        selectionModel()->setCurrentIndex(picked.first(), QItemSelectionModel::NoUpdate);
    }
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
    const QModelIndexList picked = selectionModel()->selectedIndexes();
    return picked.isEmpty() ? -1 : picked.first().row();
}

void ListBox::setListIndex(int index) {
    if (index < 0 || index >= model_->rowCount()) {
        setCurrentIndex({});
        clearSelection();
        return;
    }
    setCurrentIndex(model_->index(index));
}
