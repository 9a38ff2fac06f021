#include "forms/FormBase.h"

#include "modules/Module1.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHash>

namespace {
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
        show();
        // Placement before the first show could only estimate the frame; place again once it is known.
        placementPending_ = property(Module1::kPlacementProperty).isValid();
        replaceIfFramed();
    } else {
        if (isMinimized())
            showNormal();
        show();
    }
    raise();
    activateWindow();
}

void FormBase::replaceIfFramed() {
    if (!placementPending_)
        return;
    // The window manager adds the frame after the window appears; until then its size is unknown.
    if (frameGeometry().size() == geometry().size() && QGuiApplication::platformName() != u"offscreen")
        return;
    placementPending_ = false;
    const QPointF m = property(Module1::kPlacementProperty).toPointF();
    Module1::PlaceWindowBottomRight(this, m.x(), m.y());
}

void FormBase::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    replaceIfFramed();
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
