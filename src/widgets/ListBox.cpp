#include "widgets/ListBox.h"

#include <QAbstractListModel>
#include <QTimer>

class ListBoxModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(items.size());
    }

    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= items.size())
            return {};
        if (role == Qt::EditRole)
            return items[index.row()];
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const QString& text = index.row() < shown.size() ? shown[index.row()] : items[index.row()];
        if (text.size() <= ListBox::kShownChars)
            return text;
        return QStringView(text).left(ListBox::kShownChars).toString() + QChar(0x2026);
    }

    void append(const QString& item) {
        beginInsertRows({}, int(items.size()), int(items.size()));
        items.append(item);
        endInsertRows();
    }

    void reset(QStringList newItems, QStringList newShown) {
        beginResetModel();
        items = std::move(newItems);
        shown = std::move(newShown);
        endResetModel();
    }

    QStringList items;
    QStringList shown;
};

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new ListBoxModel(this)) {
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
    model_->reset({}, {});
}

void ListBox::addItem(const QString& text) {
    model_->append(text);
}

void ListBox::setItems(QStringList items, QStringList shown) {
    model_->reset(std::move(items), std::move(shown));
}

QStringList ListBox::items() const {
    return model_->items;
}

int ListBox::listCount() const {
    return int(model_->items.size());
}

QString ListBox::itemText(int index) const {
    if (index < 0 || index >= model_->items.size())
        return {};
    return model_->items[index];
}

int ListBox::listIndex() const {
    const QModelIndexList picked = selectionModel()->selectedIndexes();
    return picked.isEmpty() ? -1 : picked.first().row();
}

void ListBox::setListIndex(int index) {
    if (index < 0 || index >= listCount()) {
        setCurrentIndex({});
        clearSelection();
        return;
    }
    setCurrentIndex(model_->index(index));
}
