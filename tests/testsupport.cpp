#include "testsupport.h"

#include "forms/FormBase.h"
#include "forms/showpic.h"
#include "platform/CodePages.h"
#include "widgets/FileList.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace TestSupport {

MessageRecorder::MessageRecorder() {
    Module1::setMessageHandler([this](const Module1::MsgRequest& request) {
        messages.append(request);
        if (whileAsked)
            whileAsked();
        if (!answers.isEmpty())
            return answers.takeFirst();
        return request.buttons == Module1::MsgButtons::YesNo ? Module1::MsgResult::No
                                                             : Module1::MsgResult::Ok;
    });
}

QStringList MessageRecorder::texts() const {
    QStringList t;
    for (const auto& m : messages)
        t.append(m.text);
    return t;
}

QString ProgramFolder::write(const QString& relativeName, const QByteArray& bytes) const {
    QString rel = relativeName;
    rel.replace(u'\\', u'/');
    const QString full = dir_.path() + u'/' + rel;
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    f.close();
    keepAsSeed(full);
    return full;
}

void keepAsSeed(const QString& path) {
    const QString seeds = qEnvironmentVariable("QMQUERY_SEED_DIR");
    if (seeds.isEmpty())
        return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = f.readAll();
    // Named by content, so the same fixture from many tests is one seed.
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()) + u'.' +
        QFileInfo(path).suffix().toLower();
    QDir().mkpath(seeds);
    QFile out(seeds + u'/' + name);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
}

QString ProgramFolder::writeCp950(const QString& relativeName, const QString& text) const {
    return write(relativeName, toCp950(text));
}

QByteArray toCp950(const QString& text) {
    return Platform::encodeCodePage950(text);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    const bool written = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
    f.close();
    keepAsSeed(path);
    return written;
}

bool writeFile(const QByteArray& encodedPath, const QByteArray& bytes) {
    FILE* f = std::fopen(encodedPath.constData(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) == size_t(bytes.size());
    return std::fclose(f) == 0 && written;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

namespace {
QWindow* focusWindow() {
    QWidget* focus = QApplication::focusWidget();
    QWindow* window = focus ? focus->window()->windowHandle() : QGuiApplication::focusWindow();
    if (!window)
        qWarning("no window has the keyboard focus");
    return window;
}
} // namespace

void press(QKeyCombination key) {
    if (QWindow* window = focusWindow())
        QTest::keyClick(window, key.key(), key.keyboardModifiers());
}

void type(const QString& keys) {
    for (QChar c : keys) {
        if (QWindow* window = focusWindow())
            QTest::keyClick(window, c.toLatin1());
    }
}

void commit(const QString& text) {
    QObject* target = QGuiApplication::focusObject();
    if (!target) {
        qWarning("no focus object to commit text to");
        return;
    }
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(target, &event);
}

bool chooseFromContextMenu(QWidget* control, const QString& item) {
    const QPoint at = control->mapTo(control->window(), control->rect().center());
    QTest::mouseClick(control->window()->windowHandle(), Qt::RightButton, {}, at);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu)
        return false;
    const auto actions = menu->actions();
    const auto chosen = std::find_if(actions.begin(), actions.end(), [&item](const QAction* a) {
        return a->text().section(u'\t', 0, 0).remove(u'&') == item;
    });
    if (chosen != actions.end())
        (*chosen)->trigger();
    menu->close();
    return chosen != actions.end();
}

void initApplication() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        Module1::initApplication(*app);
}

void unloadAllForms() {
    FormBase::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

showpic* openViewer(int pick) {
    auto* form = FormBase::open<showpic>();
    if (!QTest::qWaitFor([form] { return !form->Timer1->isActive(); }) || !QTest::qWaitForWindowActive(form))
        qWarning("the viewer did not settle");
    form->File1->setFocus();
    form->File1->setListIndex(pick);
    return form;
}

} // namespace TestSupport
