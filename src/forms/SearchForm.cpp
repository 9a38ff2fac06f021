#include "forms/SearchForm.h"

#include "forms/SearchTargets.h"
#include "modules/Module1.h"
#include "modules/SearchIndex.h"
#include "modules/SearchResults.h"
#include "widgets/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

// A result row with its matched text marked, so it is found at a glance in a long row.
class ResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (!style)
            return QStyledItemDelegate::paint(painter, option, index);
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QRect area =
            style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(2, 0, -2, 0);
        const QPoint match = index.data(SearchResults::kMatchRole).toPoint();
        const bool selected = opt.state & QStyle::State_Selected;
        painter->save();
        painter->setClipRect(area);
        painter->setFont(opt.font);
        const QFontMetrics metrics(opt.font);
        const int baseline = area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent();
        int x = area.left();
        const QString parts[] = {text.left(match.x()), text.mid(match.x(), match.y()),
                                 text.mid(match.x() + match.y())};
        for (int i = 0; i < 3 && x < area.right(); ++i) {
            const int w = metrics.horizontalAdvance(parts[i]);
            if (i == 1 && !selected)
                painter->fillRect(QRect(x, area.top() + 1, w, area.height() - 2), QColor(255, 230, 120));
            painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(x, baseline, parts[i]);
            x += w;
        }
        painter->restore();
    }
};

} // namespace

SearchForm::SearchForm() {
    setObjectName(QStringLiteral("SearchForm"));
    setWindowTitle(QStringLiteral("全部資料搜尋"));
    setClientSizeTw(6600, 4800);

    Text1 = Twips::place(new QLineEdit(this), "Text1", 60, 60, 6480, 330);
    Text1->setAccessibleName(QStringLiteral("搜尋全部資料"));
    Text1->setClearButtonEnabled(true);
    Label1 = Twips::place(new QLabel(this), "Label1", 60, 420, 6480, 240);
    List1 = Twips::place(new QListView(this), "List1", 60, 690, 6480, 4050);
    List1->setAccessibleName(QStringLiteral("搜尋結果"));
    List1->setUniformItemSizes(true);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setItemDelegate(new ResultDelegate(List1));
    setTabOrder(Text1, List1);

    Text1->installEventFilter(this);
    List1->installEventFilter(this);
    connect(List1, &QListView::doubleClicked, this, [this](const QModelIndex& i) { openResult(i.row()); });

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void SearchForm::Form_Load() {
    Module1::PlaceWindowBottomRight(this);
    index_ = new SearchIndex(Module1::programFolder(), &SearchTargets::catalogue, this);
    results_ = new SearchResults(index_, this);
    List1->setModel(results_);
    connect(Text1, &QLineEdit::textChanged, results_, &SearchResults::setQuery);
    // Rows come in many batches while files are read: the state line follows at most every few frames.
    stateTimer_ = new QTimer(this);
    stateTimer_->setSingleShot(true);
    stateTimer_->setInterval(kStateMs);
    connect(stateTimer_, &QTimer::timeout, this, &SearchForm::showState);
    const auto later = [this] {
        if (!stateTimer_->isActive())
            stateTimer_->start();
    };
    connect(index_, &SearchIndex::progress, this, later);
    connect(results_, &QAbstractItemModel::rowsInserted, this, later);
    connect(results_, &QAbstractItemModel::rowsRemoved, this, later);
    // The end of a search, or a new query, shows at once (the pink field above all).
    connect(results_, &SearchResults::finished, this, &SearchForm::showState);
    connect(results_, &QAbstractItemModel::modelReset, this, &SearchForm::showState);
    index_->start();
    showState();
    Text1->setFocus(Qt::OtherFocusReason);
}

void SearchForm::Form_Resize() {
    const int w = Twips::tw(width()) - 120;
    Twips::setWidth(Text1, w);
    Twips::setWidth(Label1, w);
    Twips::setWidth(List1, w);
    Twips::setHeight(List1, layoutHeightTw() - Twips::top(List1) - 60);
}

void SearchForm::showState() {
    if (!index_)
        return;
    const int found = results_->rowCount();
    QString state;
    if (!index_->complete())
        state = QStringLiteral("讀取中…已讀 %1 個檔案").arg(index_->filesRead());
    if (!results_->words().isEmpty()) {
        if (!state.isEmpty())
            state += QStringLiteral("，");
        state += results_->searching() ? QStringLiteral("搜尋中…已找到 %1 行").arg(found)
                                       : QStringLiteral("找到 %1 行").arg(found);
    }
    if (Label1->text() != state) {
        Label1->setText(state);
        Text1->setPlaceholderText(index_->complete() ? QStringLiteral("搜尋全部資料") : state);
        Text1->setAccessibleDescription(state);
    }
    // Nothing found anywhere: the field turns pink, as the find field does; not while files that may
    // hold the words are still being read.
    const bool missed =
        !results_->words().isEmpty() && index_->complete() && !results_->searching() && found == 0;
    const QColor base = missed ? QColor(255, 200, 200) : palette().color(QPalette::Base);
    if (Text1->palette().color(QPalette::Base) != base) {
        QPalette p = Text1->palette();
        p.setColor(QPalette::Base, base);
        Text1->setPalette(p);
    }
}

bool SearchForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !results_)
        return FormBase::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == Text1 && (key->key() == Qt::Key_Down || enter) && results_->rowCount() > 0) {
        const int row = List1->currentIndex().isValid() ? List1->currentIndex().row() : 0;
        List1->setCurrentIndex(results_->index(row, 0));
        if (enter)
            openResult(row);
        else
            List1->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (watched == List1 && enter) {
        if (List1->currentIndex().isValid())
            openResult(List1->currentIndex().row());
        return true;
    }
    return FormBase::eventFilter(watched, event);
}

void SearchForm::openResult(int row) {
    if (!results_ || row < 0 || row >= results_->rowCount())
        return;
    const SearchResults::Row r = results_->row(row);
    // Copies: a message box the window shows runs the event loop, and the results may change meanwhile.
    const SearchSource source = index_->entry(r.entry).source;
    const QString matched = results_->matched(row);
    SearchTargets::open(source, r.hit.line, matched);
}
