#include "widgets/ListBox.h"

#include "platform/Platform.h"

#include <QAbstractListModel>
#include <QCursor>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <limits>

class ListBoxModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows.size());
    }

    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rows.size())
            return {};
        if (role == Qt::EditRole)
            return rows.text(index.row());
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const QStringView text = rowText(index.row());
        if (text.size() <= ListBox::kShownChars)
            return text.toString();
        return text.left(ListBox::kShownChars).toString() + QChar(0x2026);
    }

    void append(const QString& item) {
        beginInsertRows({}, int(rows.size()), int(rows.size()));
        rows.append(item);
        endInsertRows();
    }

    void reset(RowTable newRows, QStringList newShown) {
        const bool large = rows.chars() > kLargeChars;
        beginResetModel();
        rows = std::move(newRows);
        shown = std::move(newShown);
        endResetModel();
        if (large)
            Platform::releaseFreeMemory();
    }

    // A list this large, let go, leaves enough behind in the allocator to be worth handing back.
    static constexpr qsizetype kLargeChars = qsizetype(8) << 20;

    [[nodiscard]] QStringView rowText(int row) const {
        return row < shown.size() ? QStringView(shown[row]) : rows.at(row);
    }

    RowTable rows;
    QStringList shown;
};

// Every row is given the size of the widest, or the list could not scroll to the end of a longer one.
class ListBoxDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override {
        const QAbstractItemModel* model = index.model();
        if (model && widestRow >= 0 && widestRow < model->rowCount())
            return QStyledItemDelegate::sizeHint(option, model->index(int(widestRow), 0));
        return QStyledItemDelegate::sizeHint(option, index);
    }

    qsizetype widestRow = -1;
    int widestWidth = 0;
};

ListBox::ListBox(QWidget* parent)
    : QAbstractItemView(parent), model_(new ListBoxModel(this)), delegate_(new ListBoxDelegate(this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    setTextElideMode(Qt::ElideNone);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) {
                if (!selected.indexes().isEmpty())
                    emit itemPicked(selected.indexes().first().row());
            });
}

void ListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
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
    QAbstractItemView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        findWidestRow();
        scheduleDelayedItemsLayout();
    }
}

WidthRank ListBox::widthRank() const {
    const QFontMetrics fm(font());
    std::array<int, 128> ascii{};
    ascii.fill(fm.averageCharWidth());
    for (int c = ' '; c < int(ascii.size()); ++c)
        ascii[c] = fm.horizontalAdvance(QChar(c));
    return {ascii, fm.horizontalAdvance(QChar(0x4E2D)), fm.averageCharWidth(), kShownChars};
}

void ListBox::measureRow(qsizetype row) {
    const int w = fontMetrics().horizontalAdvance(model_->rowText(int(row)).left(kShownChars).toString());
    if (w > delegate_->widestWidth) {
        delegate_->widestRow = row;
        delegate_->widestWidth = w;
        rowSize_ = {};
    }
}

void ListBox::findWidestRow(std::vector<qsizetype> candidates, bool ranked) {
    delegate_->widestRow = -1;
    delegate_->widestWidth = 0;
    rowSize_ = {};
    // Laying out every row of a file of 100,000 lines would hold the window for seconds: rows are
    // ranked by an estimate and only the few widest are laid out.
    if (!ranked) {
        const WidthRank rank = widthRank();
        candidates = model_->shown.isEmpty() ? rank.widest(model_->rows, kRowsLaidOut)
                                             : rank.widest(model_->shown, kRowsLaidOut);
    }
    for (const qsizetype row : candidates) {
        if (row >= 0 && row < listCount())
            measureRow(row);
    }
}

void ListBox::clear() {
    model_->reset({}, {});
    findWidestRow({}, true);
}

void ListBox::addItem(const QString& text) {
    model_->append(text);
    measureRow(listCount() - 1);
}

void ListBox::setItems(QStringList items, QStringList shown) {
    RowTable rows = RowTable::fromList(items);
    items = QStringList(); // given back before the view lays the rows out
    model_->reset(std::move(rows), std::move(shown));
    findWidestRow();
}

void ListBox::setRows(RowTable rows, std::vector<qsizetype> widest, bool ranked) {
    model_->reset(std::move(rows), {});
    findWidestRow(std::move(widest), ranked);
}

const RowTable& ListBox::rows() const {
    return model_->rows;
}

QStringList ListBox::items() const {
    return model_->rows.toList();
}

int ListBox::listCount() const {
    return int(model_->rows.size());
}

QString ListBox::itemText(int index) const {
    return model_->rows.text(index);
}

int ListBox::findText(const QString& text, int from) const {
    return int(model_->rows.indexOf(text, from));
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

QSize ListBox::rowSize() const {
    if (!rowSize_.isValid() && listCount() > 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const qsizetype row = delegate_->widestRow >= 0 ? delegate_->widestRow : 0;
        rowSize_ = delegate_->sizeHint(option, model_->index(int(row)));
        rowSize_.setHeight(std::max(rowSize_.height(), 1));
    }
    return listCount() > 0 ? rowSize_ : QSize();
}

int ListBox::rowHeight() const {
    return std::max(rowSize().height(), 1);
}

int ListBox::visibleRows() const {
    return std::max(viewport()->height() / rowHeight(), 1);
}

int ListBox::topRow() const {
    return verticalScrollBar()->value();
}

void ListBox::updateGeometries() {
    const int rows = listCount();
    const int shown = visibleRows();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(shown);
    verticalScrollBar()->setRange(0, std::max(0, rows - shown));
    const int width = rowSize().width();
    horizontalScrollBar()->setSingleStep(std::max(fontMetrics().averageCharWidth() * 2, 1));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void ListBox::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    rowSize_ = {};
    scheduleDelayedItemsLayout();
}

void ListBox::scrollContentsBy(int dx, int dy) {
    // The vertical bar counts rows.
    QAbstractItemView::scrollContentsBy(dx, dy * rowHeight());
}

int ListBox::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int ListBox::verticalOffset() const {
    return topRow() * rowHeight();
}

bool ListBox::isIndexHidden(const QModelIndex&) const {
    return false;
}

QRect ListBox::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model_ || index.row() >= listCount())
        return {};
    // Rows reach across the viewport when they are narrower, so a pick highlights the whole row.
    const qint64 y = qint64(index.row() - topRow()) * rowHeight();
    const qint64 clamped =
        std::clamp<qint64>(y, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2);
    return {-horizontalOffset(), int(clamped), std::max(rowSize().width(), viewport()->width()), rowHeight()};
}

QModelIndex ListBox::indexAt(const QPoint& point) const {
    if (point.y() < 0 || point.x() + horizontalOffset() >= std::max(rowSize().width(), viewport()->width()))
        return {};
    const qint64 row = topRow() + qint64(point.y() / rowHeight());
    return row < listCount() ? model_->index(int(row)) : QModelIndex();
}

void ListBox::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.row() >= listCount())
        return;
    const int row = index.row();
    const int shown = visibleRows();
    int top = topRow();
    switch (hint) {
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - shown + 1;
        break;
    case PositionAtCenter:
        top = row - shown / 2;
        break;
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row >= top + shown)
            top = row - shown + 1;
        break;
    }
    verticalScrollBar()->setValue(top);
    // Rows start at the left edge: showing one brings the list back to it, as a list view does.
    horizontalScrollBar()->setValue(0);
}

QModelIndex ListBox::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    const int rows = listCount();
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model_->index(0);
    int row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= visibleRows();
        break;
    case MovePageDown:
        row += visibleRows();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model_->index(std::clamp(row, 0, rows - 1));
}

void ListBox::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const QRect r = rect.normalized();
    const qint64 first = std::max<qint64>(0, topRow() + qint64(r.top() / rowHeight()));
    const qint64 last = std::min<qint64>(listCount() - 1, topRow() + qint64(r.bottom() / rowHeight()));
    if (listCount() == 0 || first > last) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    selectionModel()->select(QItemSelection(model_->index(int(first)), model_->index(int(last))), command);
}

QRegion ListBox::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const int top = topRow();
    const int bottom = top + visibleRows();
    for (const QItemSelectionRange& range : selection) {
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first > last)
            continue;
        region += visualRect(model_->index(first)).united(visualRect(model_->index(last)));
    }
    return region;
}

void ListBox::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int rows = listCount();
    if (rows == 0)
        return;
    const int h = rowHeight();
    const int first = topRow() + std::max(0, event->rect().top()) / h;
    const int last = std::min(rows - 1, topRow() + event->rect().bottom() / h);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex current = currentIndex();
    const QModelIndex hovered =
        viewport()->underMouse() ? indexAt(viewport()->mapFromGlobal(QCursor::pos())) : QModelIndex();
    const bool focused = hasFocus();
    const QStyle::State base = option.state;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model_->index(row);
        option.rect = visualRect(index);
        option.state = base;
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focused && index == current)
            option.state |= QStyle::State_HasFocus;
        if (index == hovered)
            option.state |= QStyle::State_MouseOver;
        delegate_->paint(&painter, option, index);
    }
}
