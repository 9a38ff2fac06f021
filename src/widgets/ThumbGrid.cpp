#include "widgets/ThumbGrid.h"

#include "modules/Thumbnails.h"
#include "widgets/FileList.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int kPad = 6;

class ThumbDelegate : public QStyledItemDelegate {
public:
    ThumbDelegate(ThumbGrid* grid, const FileList* list) : QStyledItemDelegate(grid), list_(list) {}

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {Thumbnails::kSide + 2 * kPad, Thumbnails::kSide + 3 * kPad + option.fontMetrics.height()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect cell = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            painter->fillRect(cell, option.palette.brush(QPalette::Highlight));
        const QRect square(cell.left() + kPad, cell.top() + kPad, Thumbnails::kSide, Thumbnails::kSide);
        const auto* grid = static_cast<const ThumbGrid*>(parent());
        if (const Thumbnails::Thumb* thumb = grid->thumbnails()->find(list_->fullPath(index.row()))) {
            QRect at(QPoint(), thumb->image.size());
            at.moveCenter(square.center());
            painter->drawImage(at.topLeft(), thumb->image);
        } else {
            // Still being made: an empty frame holds its place.
            painter->setPen(option.palette.color(QPalette::Mid));
            painter->drawRect(square.adjusted(8, 20, -9, -21));
        }
        const QRect text(cell.left() + 2, square.bottom() + kPad, cell.width() - 4,
                         option.fontMetrics.height());
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QString name = index.data(Qt::DisplayRole).toString();
        painter->drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(name, Qt::ElideMiddle, text.width()));
    }

private:
    const FileList* list_;
};

} // namespace

ThumbGrid::ThumbGrid(FileList* list, QWidget* area)
    : QListView(area), list_(list), area_(area), thumbnails_(new Thumbnails(this)) {
    setObjectName(QStringLiteral("ThumbGrid"));
    // Rows laid out left to right and wrapped: the list's fast uniform layout, even for many thousand.
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The list keeps the keyboard, so the list's own keys (Delete) and its re-reading on losing the focus
    // go on as they always have.
    setFocusPolicy(Qt::NoFocus);
    setItemDelegate(new ThumbDelegate(this, list));
    setModel(list->model());
    setSelectionModel(list->selectionModel());
    verticalScrollBar()->setSingleStep(32);
    hide();

    ask_.setSingleShot(true);
    ask_.setInterval(0);
    connect(&ask_, &QTimer::timeout, this, &ThumbGrid::askForVisible);
    paint_.setSingleShot(true);
    paint_.setInterval(16);
    connect(&paint_, &QTimer::timeout, this, &ThumbGrid::paintArrived);
    connect(thumbnails_, &Thumbnails::ready, this, &ThumbGrid::thumbnailReady);
    connect(list->model(), &QAbstractItemModel::modelReset, this, [this] {
        // Re-read: a file may have been edited or replaced meanwhile.
        thumbnails_->revalidate();
        if (open_)
            ask_.start();
    });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            setOpen(false);
    });

    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), area->window());
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] { setOpen(!open_); });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &ThumbGrid::showContextMenu);
    list->installEventFilter(this);
    area->installEventFilter(this);
}

void ThumbGrid::setOpen(bool open) {
    if (open == open_)
        return;
    open_ = open;
    if (!open) {
        hide();
        thumbnails_->want({});
        wantedRows_.clear();
        rowOf_.clear();
        emit closed();
        return;
    }
    setGeometry(area_->contentsRect());
    show();
    raise();
    if (list_->isVisible())
        list_->setFocus(Qt::ShortcutFocusReason);
    const QModelIndex current = selectionModel()->currentIndex();
    if (current.isValid())
        scrollTo(current, QAbstractItemView::PositionAtCenter);
    // Asked for now, so the workers start while the grid paints its first frame.
    askForVisible();
}

void ThumbGrid::showContextMenu(const QPoint& at) {
    auto* menu = new QMenu(list_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* action = menu->addAction(QStringLiteral("縮圖"));
    action->setCheckable(true);
    action->setChecked(open_);
    connect(action, &QAction::triggered, this, [this](bool checked) { setOpen(checked); });
    menu->popup(list_->viewport()->mapToGlobal(at));
}

bool ThumbGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_ && event->type() == QEvent::Resize) {
        setGeometry(area_->contentsRect());
    } else if (watched == list_ && open_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
                break;
            keyPressEvent(key);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (key->modifiers() & ~Qt::KeypadModifier)
                break;
            setOpen(false);
            return true;
        case Qt::Key_Escape:
            setOpen(false);
            return true;
        default:
            break;
        }
    }
    return QListView::eventFilter(watched, event);
}

void ThumbGrid::scrollContentsBy(int dx, int dy) {
    QListView::scrollContentsBy(dx, dy);
    if (open_)
        ask_.start();
}

void ThumbGrid::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    if (open_)
        ask_.start();
}

void ThumbGrid::askForVisible() {
    const int rows = model()->rowCount();
    wantedRows_.clear();
    rowOf_.clear();
    if (!open_ || rows == 0) {
        thumbnails_->want({});
        return;
    }
    executeDelayedItemsLayout();
    const QRect view = viewport()->rect();
    const auto rect = [this](int row) { return visualRect(model()->index(row, 0)); };
    // Rows lie in reading order, so the first and last on screen are found by halving.
    int lo = 0, hi = rows;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (rect(mid).bottom() < view.top())
            lo = mid + 1;
        else
            hi = mid;
    }
    const int top = lo;
    hi = rows;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (rect(mid).top() <= view.bottom())
            lo = mid + 1;
        else
            hi = mid;
    }
    const int bottom = std::max(top, lo - 1);
    const int shown = bottom - top + 1;
    // A screen each way beyond, within what is held.
    const int margin = std::clamp((Thumbnails::kKept - shown) / 2, 0, shown);
    for (int r = top; r <= bottom; ++r)
        wantedRows_.append(r);
    for (int r = bottom + 1; r <= std::min(rows - 1, bottom + margin); ++r)
        wantedRows_.append(r);
    for (int r = top - 1; r >= std::max(0, top - margin); --r)
        wantedRows_.append(r);
    QStringList paths;
    paths.reserve(wantedRows_.size());
    for (const int r : std::as_const(wantedRows_)) {
        const QString path = list_->fullPath(r);
        rowOf_.insert(path, r);
        paths.append(path);
    }
    thumbnails_->want(paths);
}

void ThumbGrid::thumbnailReady(const QString& path) {
    const auto it = rowOf_.constFind(path);
    if (it == rowOf_.cend())
        return;
    arrived_.append(*it);
    // Painted together a frame later: one paint for what came meanwhile, not one for each thumbnail,
    // leaves the processor to the workers.
    if (!paint_.isActive())
        paint_.start();
}

void ThumbGrid::paintArrived() {
    for (const int row : std::as_const(arrived_))
        update(model()->index(row, 0));
    arrived_.clear();
}
