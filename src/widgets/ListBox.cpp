#include "widgets/ListBox.h"

#include <QAbstractListModel>
#include <QEvent>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <array>

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
        const QString& text = rowText(index.row());
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

    [[nodiscard]] const QString& rowText(int row) const {
        return row < shown.size() ? shown[row] : items[row];
    }

    QStringList items;
    QStringList shown;
};

// With uniform row sizes the view asks for one row's size only (the last row's): every row is given
// the size of the widest instead, or the list could not scroll to the end of a longer one.
class ListBoxDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override {
        const QAbstractItemModel* model = index.model();
        if (model && widestRow >= 0 && widestRow < model->rowCount())
            return QStyledItemDelegate::sizeHint(option, model->index(widestRow, 0));
        return QStyledItemDelegate::sizeHint(option, index);
    }

    int widestRow = -1;
    int widestWidth = 0;
};

namespace {

// Laying out every row of a file of 100,000 lines would hold the window for seconds: rows are ranked
// by the sum of their characters' widths from a table (a row of plain ASCII by its length), and only the
// few widest are laid out.
class WidthEstimate {
public:
    explicit WidthEstimate(const QFontMetrics& fm)
        : wide_(fm.horizontalAdvance(QChar(0x4E2D))), other_(fm.averageCharWidth()) {
        ascii_.fill(other_);
        for (int c = ' '; c < int(ascii_.size()); ++c)
            ascii_[c] = fm.horizontalAdvance(QChar(c));
        widest_ = std::max({wide_, other_, *std::max_element(ascii_.begin(), ascii_.end())});
    }

    [[nodiscard]] int widest() const { return widest_; }

    [[nodiscard]] qint64 operator()(QStringView text) const {
        text = text.left(ListBox::kShownChars);
        // Names and numbers: ranked by length alone, which a vectorised check affords for every row.
        if (QtPrivate::isAscii(text))
            return text.size() * other_;
        qint64 sum = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            sum += u < ascii_.size() ? ascii_[u] : u >= 0x2E80 ? wide_ : other_;
        }
        return sum;
    }

private:
    std::array<int, 128> ascii_{};
    int wide_;
    int other_;
    int widest_;
};

constexpr int kRowsLaidOut = 16;

} // namespace

ListBox::ListBox(QWidget* parent)
    : QListView(parent), model_(new ListBoxModel(this)), delegate_(new ListBoxDelegate(this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
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

void ListBox::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        findWidestRow();
        scheduleDelayedItemsLayout();
    }
}

void ListBox::findWidestRow(int row) {
    const QFontMetrics fm(font());
    const auto width = [&](int r) {
        return fm.horizontalAdvance(QStringView(model_->rowText(r)).left(kShownChars).toString());
    };
    if (row >= 0) {
        if (const int w = width(row); w > delegate_->widestWidth)
            delegate_->widestRow = row, delegate_->widestWidth = w;
        return;
    }
    delegate_->widestRow = -1;
    delegate_->widestWidth = 0;
    const WidthEstimate estimate(fm);
    // The rows of the widest estimates so far, kept in one pass; a row no wider can be passed over
    // without reading its characters when even its widest characters would not make it wider.
    std::array<std::pair<qint64, int>, kRowsLaidOut> best{};
    best.fill({-1, -1});
    auto least = best.begin();
    for (int r = 0, rows = listCount(); r < rows; ++r) {
        const QString& text = model_->rowText(r);
        if (std::min(text.size(), kShownChars) * estimate.widest() <= least->first)
            continue;
        if (const qint64 score = estimate(text); score > least->first) {
            *least = {score, r};
            least = std::min_element(best.begin(), best.end());
        }
    }
    for (const auto& [score, r] : best) {
        if (r >= 0)
            findWidestRow(r);
    }
}

void ListBox::clear() {
    delegate_->widestRow = -1;
    delegate_->widestWidth = 0;
    model_->reset({}, {});
}

void ListBox::addItem(const QString& text) {
    model_->append(text);
    findWidestRow(listCount() - 1);
}

void ListBox::setItems(QStringList items, QStringList shown) {
    model_->reset(std::move(items), std::move(shown));
    findWidestRow();
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
