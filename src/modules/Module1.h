#pragma once

#include "modules/TextLoad.h"
#include "platform/Files.h"

#include <QMargins>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QApplication;
class QLabel;
class QMessageBox;
class QWidget;
class ListBox;
class TextBox;

// Shared routines of every window: the program folder, message boxes, data-file loaders, placement.
namespace Module1 {

// The title every message box carries.
[[nodiscard]] QString appTitle();

// The folder that holds the data files (see StartUp::dataFolder); tests point it elsewhere.
[[nodiscard]] QString programFolder();
void setProgramFolder(const QString& folder);

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Exclamation, Question, Information, Critical };
enum class MsgResult { Ok, Yes, No };

struct MsgRequest {
    QString text;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    QWidget* parent = nullptr;
    bool defaultNo = false; // Enter answers No: for a question whose Yes cannot be taken back
};
using MsgHandler = std::function<MsgResult(const MsgRequest&)>;

// Replaces the real message box, so tests can read and answer it; an empty handler restores it.
void setMessageHandler(MsgHandler handler);

// The message box MsgBox shows, not yet shown.
[[nodiscard]] std::unique_ptr<QMessageBox> makeMessageBox(const QString& text, MsgButtons buttons,
                                                          MsgIcon icon, QWidget* parent = nullptr,
                                                          bool defaultNo = false);

// A modal message box with the application title; blocks only its caller's flow.
MsgResult MsgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                 QWidget* parent = nullptr, bool defaultNo = false);

// Fills `target` with the lines of a data file, one item per line. `file` is the relative name, with
// folders separated by backslashes, or a listed name (TextLoad::DataFile::listed).
// True when the file was read (the caller follows it then). A file larger than
// TextLoad::kRowsAtOnceBytes is read on a worker: the call returns at once and the rows arrive together;
// a newer load into the same list stops an older one.
bool LoadListFile(const TextLoad::DataFile& file, ListBox* target, bool trimLines);

// Fills `target` with the whole data file, each line followed by a line break. With a non-empty
// `progressSuffix`, the file is read on a worker: the text grows batch by batch, `progressLabel` counts
// the lines, and the call returns at once; a newer load into the same target stops an older one. True
// when the file could be opened.
bool LoadTextFile(const TextLoad::DataFile& file, TextBox* target, bool trimLines,
                  const QString& progressPrefix = {}, QLabel* progressLabel = nullptr,
                  const QString& progressSuffix = {});

// The file the last successful load into `target` read, as it was when the reading began.
[[nodiscard]] Platform::FileStamp loadedStamp(const QWidget* target);

// While it lives, loads into `target` read again a file the player saved: one that cannot be read shows
// no message and leaves the target as it was; one that can replaces the target's content only as the
// new content arrives.
class Reloading {
public:
    explicit Reloading(QWidget* target);
    ~Reloading();
    Q_DISABLE_COPY_MOVE(Reloading)

private:
    QPointer<QWidget> target_;
};

// Puts a top-level window near the screen's bottom-right corner (100 and 80 twips from the edges).
void PlaceWindowBottomRight(QWidget* window);
// The same rule with other margins, in twips.
void PlaceWindowBottomRight(QWidget* window, double marginRight, double marginBottom);

// Set on a window by the placement rule: the margins it was placed with.
extern const char* const kPlacementProperty;

// The frame a window manager has put around a shown window (none while it is hidden or unframed).
[[nodiscard]] QMargins frameMargins(const QWidget* window);
// The window's outer (frame) size in twips, estimated from other windows before it is first shown.
[[nodiscard]] double outerWidthTw(const QWidget* window);
[[nodiscard]] double outerHeightTw(const QWidget* window);
// Sets the client width so that the outer width becomes `twips`.
void setOuterWidthTw(QWidget* window, double twips);

// Application-wide set-up: fonts for the design's Traditional Chinese faces, title, icon.
void initApplication(QApplication& app);

} // namespace Module1
