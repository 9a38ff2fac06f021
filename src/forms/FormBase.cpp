#include "forms/FormBase.h"

#include "modules/FileFollower.h"
#include "modules/Module1.h"
#include "modules/TextLoad.h"
#include "widgets/FindBar.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QShortcut>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHash>
#include <QTimer>
#include <QWindow>

namespace {
// How long after a window appears its frame is watched, and how often.
constexpr int kFrameWatchMs = 3000;
constexpr int kFrameWatchStepMs = 25;
// How long after the frame first comes the placement is asked for again.
constexpr int kFrameSettleMs = 200;

QHash<const QMetaObject*, FormBase*>& registry() {
    static QHash<const QMetaObject*, FormBase*> forms;
    return forms;
}
} // namespace

FormBase::FormBase() : QWidget(nullptr, Qt::Window) {}

FormBase::~FormBase() {
    forget();
}

void FormBase::forget() {
    for (auto it = registry().begin(); it != registry().end(); ++it) {
        if (it.value() == this) {
            registry().erase(it);
            break;
        }
    }
}

FormBase*& FormBase::slotFor(const QMetaObject* meta) {
    return registry()[meta];
}

void FormBase::Show() {
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
        if (unloading_)
            return;
        const bool placed = property(Module1::kPlacementProperty).isValid();
        if (placed) {
            // The layout may set the window's own size (the profession window keeps a fixed width):
            // settle it before placing, so the window appears once, where the rule puts it.
            Form_Resize();
            placeAgain();
        }
        show();
        if (placed) {
            frameWatch_ = new QTimer(this);
            frameWatch_->setInterval(kFrameWatchStepMs);
            int steps = 0;
            connect(frameWatch_, &QTimer::timeout, this, [this, steps]() mutable {
                followFrame();
                if (++steps * kFrameWatchStepMs >= kFrameWatchMs)
                    frameWatch_->stop();
            });
            frameWatch_->start();
            followFrame();
        }
    } else {
        if (isMinimized())
            showNormal();
        show();
    }
    raise();
    activateWindow();
}

void FormBase::placeAgain() {
    const QPointF m = property(Module1::kPlacementProperty).toPointF();
    Module1::PlaceWindowBottomRight(this, m.x(), m.y());
    placedWithFrame_ = Module1::frameMargins(this);
}

void FormBase::followFrame() {
    // Until the window manager's frame has come, however late a busy desktop brings it, every move
    // and resize is followed; after that, only while the watch runs.
    const bool framePending = placedWithFrame_.isNull();
    if (!frameWatch_ || !(frameWatch_->isActive() || framePending) || unloading_)
        return;
    // A maximised or minimised window has no place of its own; the player's state wins.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    if (Module1::frameMargins(this) == placedWithFrame_)
        return;
    Form_Resize();
    placeAgain();
    if (framePending && !placedWithFrame_.isNull()) {
        // A window manager still framing the window can apply an older request of ours after this
        // one, leaving the frame where Qt no longer believes it is: ask once more when it has settled.
        QTimer::singleShot(kFrameSettleMs, this, [this] {
            if (QWindow* handle = windowHandle();
                handle && !unloading_ && !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
                handle->setFramePosition(pos());
        });
    }
}

void FormBase::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    followFrame();
}

void FormBase::unloadAll() {
    const auto forms = registry().values();
    registry().clear();
    for (FormBase* form : forms) {
        if (!form)
            continue;
        form->unloading_ = true;
        form->hide();
        form->deleteLater();
    }
}

void FormBase::setClientSizeTw(int width, int height) {
    Twips::setClientSize(this, width, height);
}

void FormBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (loaded_ && !unloading_)
        Form_Resize();
    placeFindBar();
    followFrame();
}

void FormBase::setFindTargets(const QList<QWidget*>& targets, bool grows) {
    findTargets_ = targets;
    findGrows_ = grows;
    auto* shortcut = new QShortcut(QKeySequence::Find, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &FormBase::openFind);
}

int FormBase::layoutHeightTw() const {
    const int bar = findBar_ && findBar_->isVisible() && !findGrows_ ? findBarHeight_ : 0;
    return Twips::tw(height() - bar);
}

void FormBase::openFind() {
    if (findTargets_.isEmpty())
        return;
    if (!findBar_) {
        findBar_ = new FindBar(this);
        findBarHeight_ = findBar_->sizeHint().height();
        connect(findBar_, &FindBar::closed, this, [this] { makeRoomForFind(-findBarHeight_); });
    }
    QWidget* focus = QApplication::focusWidget();
    if (focus == findBar_) {
        findBar_->selectAll();
        return;
    }
    QWidget* target = findTargets_.contains(focus) ? focus : findTargets_.first();
    const bool opening = findBar_->isHidden();
    findBar_->openOn(target, focus && focus->window() == this ? focus : target);
    if (opening)
        makeRoomForFind(findBarHeight_);
}

void FormBase::placeFindBar() {
    if (findBar_ && findBar_->isVisible())
        findBar_->setGeometry(0, height() - findBarHeight_, width(), findBarHeight_);
}

void FormBase::makeRoomForFind(int grow) {
    const bool free = !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    if (findGrows_ && free && grow > 0) {
        grownFrom_ = pos();
        resize(width(), height() + grow);
    } else if (grow < 0 && grownFrom_) {
        const QPoint from = *grownFrom_;
        grownFrom_.reset();
        if (free) {
            resize(width(), height() + grow);
            // A window manager keeps a window that grows past the screen's edge on the screen by moving
            // it up; shrinking back puts it where it was, unless the player has moved it since.
            if (pos().x() == from.x() && pos().y() <= from.y() && pos().y() >= from.y() + grow) {
                move(from);
                // A busy window manager can apply the shrink after the move, or report its lift only
                // now; ask again once it settled, while the window is still where the lift left it.
                QTimer::singleShot(kFrameSettleMs, this, [this, from, grow] {
                    QWindow* handle = windowHandle();
                    const QPoint now = pos();
                    if (handle && !unloading_ && now.x() == from.x() && now.y() <= from.y() &&
                        now.y() >= from.y() + grow)
                        handle->setFramePosition(from);
                });
            }
        }
    }
    placeFindBar();
    Form_Resize();
}

void FormBase::follow(QWidget* shown, const TextLoad::DataFile& file, std::function<void()> reload) {
    if (!follower_)
        follower_ = new FileFollower(this, TextLoad::kMaxFileBytes);
    const QString path = TextLoad::locate(Module1::programFolder(), file);
    QPointer<QWidget> target(shown);
    follower_->follow(shown, path, Module1::loadedStamp(shown), [target, reload] {
        if (!target)
            return;
        // The player asked for none of this: a file that cannot be read now leaves the window as it is.
        const Module1::Reloading again(target);
        if (auto* list = qobject_cast<ListBox*>(target.data())) {
            const int row = list->listIndex();
            const QString text = list->text();
            const int top = list->verticalScrollBar()->value();
            // The picked line where it now is; when it was itself edited, the same row with its new
            // text; when the file lost that row, no pick and (through the window's pick handler) no
            // detail, rather than a line the file no longer has.
            const auto restore = [list, row, text, top] {
                if (row >= 0) {
                    int again = list->itemText(row) == text ? row : list->findText(text);
                    if (again < 0 && row < list->listCount())
                        again = row;
                    if (again >= 0)
                        list->setListIndex(again);
                    else
                        emit list->itemPicked(-1);
                }
                list->verticalScrollBar()->setValue(top);
            };
            reload();
            // A large list reloads on a worker: the pick comes back once the rows are in.
            if (auto* load = list->findChild<TextLoad::RowLoad*>(QString(), Qt::FindDirectChildrenOnly))
                connect(load, &TextLoad::RowLoad::finished, list, restore);
            else
                restore();
            return;
        }
        auto* box = qobject_cast<TextBox*>(target.data());
        if (!box)
            return reload();
        const int h = box->horizontalScrollBar()->value();
        const int v = box->verticalScrollBar()->value();
        const auto restore = [box, h, v] {
            box->horizontalScrollBar()->setValue(h);
            box->verticalScrollBar()->setValue(v);
        };
        reload();
        // An article reloads on a worker: its place comes back once the text is in.
        if (auto* load = box->findChild<TextLoad::Progressive*>(QString(), Qt::FindDirectChildrenOnly))
            connect(load, &TextLoad::Progressive::finished, box, restore);
        else
            restore();
    });
}

void FormBase::closeEvent(QCloseEvent* event) {
    if (unloading_) {
        event->accept();
        return;
    }
    Form_Unload();
    unloading_ = true;
    event->accept();
    // Unload: the instance is discarded and the next opening builds the design state again.
    forget();
    deleteLater();
}
