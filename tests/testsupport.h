#pragma once

#include "modules/Module1.h"

#include <QByteArray>
#include <QKeyCombination>
#include <QList>
#include <QString>
#include <QTemporaryDir>

class QWidget;
class showpic;

namespace TestSupport {

class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder() { Module1::setMessageHandler({}); }
    Q_DISABLE_COPY_MOVE(MessageRecorder)

    QList<Module1::MsgRequest> messages;
    // Answers to give, in order; when they run out, Yes/No boxes get No and OK boxes get OK.
    QList<Module1::MsgResult> answers;
    // Runs as each message is asked, before it is answered: what another program does meanwhile.
    std::function<void()> whileAsked;

    [[nodiscard]] QStringList texts() const;
};

class ProgramFolder {
public:
    ProgramFolder() : previous_(Module1::programFolder()) { Module1::setProgramFolder(dir_.path()); }
    ~ProgramFolder() { Module1::setProgramFolder(previous_); }
    Q_DISABLE_COPY_MOVE(ProgramFolder)

    [[nodiscard]] QString path() const { return dir_.path(); }
    // Writes `bytes` to the relative name (backslashes allowed), creating folders; returns the full path.
    QString write(const QString& relativeName, const QByteArray& bytes) const;
    QString writeCp950(const QString& relativeName, const QString& text) const;

private:
    QTemporaryDir dir_;
    QString previous_;
};

[[nodiscard]] QByteArray toCp950(const QString& text);

// True when every byte was written. The byte-name form takes names that are not UTF-8 as they are.
bool writeFile(const QString& path, const QByteArray& bytes);
bool writeFile(const QByteArray& encodedPath, const QByteArray& bytes);
[[nodiscard]] QByteArray readFile(const QString& path);

// When QMQUERY_SEED_DIR is set, keeps a copy of a file a test made, as a seed for the fuzzers.
void keepAsSeed(const QString& path);

// Keys as the window system delivers them: to the focus window, through shortcuts and event filters.
void press(QKeyCombination key);
void type(const QString& keys);
// Text committed by an input method, sent to the application's focus object.
void commit(const QString& text);
// Right-clicks `control` through its window and chooses the menu item of that text ("Paste").
[[nodiscard]] bool chooseFromContextMenu(QWidget* control, const QString& item);

void initApplication();

void unloadAllForms();

// Opens the viewer once its start-up picture has shown (which must not replace the test's pick), the
// file list focused and row `pick` picked (-1: none).
showpic* openViewer(int pick = -1);

} // namespace TestSupport
