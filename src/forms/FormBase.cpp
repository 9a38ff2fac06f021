#include "forms/FormBase.h"

#include "modules/Module1.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHash>
#include <QTimer>

namespace {
// How long after a window appears its frame is watched, and how often.
constexpr int kFrameWatchMs = 3000;
constexpr int kFrameWatchStepMs = 25;

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
    if (!frameWatch_ || !frameWatch_->isActive() || unloading_)
        return;
    // A maximised or minimised window has no place of its own; the player's state wins.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    if (Module1::frameMargins(this) == placedWithFrame_)
        return;
    Form_Resize();
    placeAgain();
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
    followFrame();
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
