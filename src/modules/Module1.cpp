#include "modules/Module1.h"

#include "core/Placement.h"
#include "modules/StartUp.h"
#include "modules/TextLoad.h"
#include "platform/Platform.h"
#include "widgets/AppStyle.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

// The icons live in a static library: nothing else references them, so they must be pulled in by name.
static void initSharedResources() {
    Q_INIT_RESOURCE(qmquery);
}

namespace Module1 {

const char* const kPlacementProperty = "qmquery_placement";

namespace {

QString& folderOverride() {
    static QString folder;
    return folder;
}

MsgHandler& messageHandler() {
    static MsgHandler handler;
    return handler;
}

// Frame margins of the last framed window seen on screen: the best guess for a window not framed yet.
QMargins& knownFrameMargins() {
    static QMargins margins;
    return margins;
}

// The frame a window has, or will most likely get once a window manager frames it.
QMargins effectiveFrame(const QWidget* w) {
    const QMargins m = frameMargins(w);
    if (!m.isNull()) {
        knownFrameMargins() = m;
        return m;
    }
    return knownFrameMargins();
}

void reportMissing(const QString& fileName, QWidget* parent) {
    MsgBox(QStringLiteral("找不到檔案") + u'"' + fileName + u'"' + QStringLiteral(",或檔案無內容"),
           MsgButtons::Ok, MsgIcon::None, parent);
}

// The load in progress on a text box: a newer load into the same box stops it.
const char* const kLoadName = "qmquery_load";
const char* const kLoadedStampProperty = "qmquery_loadedStamp";
const char* const kReloadingProperty = "qmquery_reloading";

bool reloading(const QWidget* target) {
    return target->property(kReloadingProperty).toBool();
}

void setLoadedStamp(QWidget* target, const QFile& file) {
    target->setProperty(kLoadedStampProperty, QVariant::fromValue(Platform::stampOpenFile(file)));
}

} // namespace

QString appTitle() {
    return QStringLiteral("资料查询器");
}

QString programFolder() {
    if (!folderOverride().isEmpty())
        return folderOverride();
    return StartUp::dataFolder();
}

void setProgramFolder(const QString& folder) {
    folderOverride() = folder;
}

void setMessageHandler(MsgHandler handler) {
    messageHandler() = std::move(handler);
}

std::unique_ptr<QMessageBox> makeMessageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                            QWidget* parent, bool defaultNo) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(appTitle());
    // A file name is shown as it is: no rich text, no markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    switch (icon) {
    case MsgIcon::None:
        box->setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Exclamation:
        box->setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Question:
        box->setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Information:
        box->setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Critical:
        box->setIcon(QMessageBox::Critical);
        break;
    }
    if (buttons == MsgButtons::YesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box->button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        if (defaultNo)
            box->setDefaultButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->button(QMessageBox::Ok)->setText(QStringLiteral("確定"));
    }
    // Ming faces report almost no descent: without a little room below the text, the last line's
    // underscores (every screenshot name has one) are cut off.
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        QMargins m = label->contentsMargins();
        m.setBottom(m.bottom() + 3);
        label->setContentsMargins(m);
    }
    return box;
}

MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, QWidget* parent, bool defaultNo) {
    if (messageHandler())
        return messageHandler()(MsgRequest{text, buttons, icon, parent, defaultNo});
    const auto box = makeMessageBox(text, buttons, icon, parent, defaultNo);
    const int answer = box->exec();
    if (buttons == MsgButtons::YesNo)
        return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
    return MsgResult::Ok;
}

Platform::FileStamp loadedStamp(const QWidget* target) {
    return target->property(kLoadedStampProperty).value<Platform::FileStamp>();
}

Reloading::Reloading(QWidget* target) : target_(target) {
    target_->setProperty(kReloadingProperty, true);
}

Reloading::~Reloading() {
    if (target_)
        target_->setProperty(kReloadingProperty, QVariant());
}

bool LoadListFile(const TextLoad::DataFile& file, ListBox* target, bool trimLines) {
    const bool again = reloading(target);
    // The newest load into a list wins: an older one stops and gives back what it holds.
    delete target->findChild<TextLoad::RowLoad*>(QLatin1String(kLoadName), Qt::FindDirectChildrenOnly);
    if (!again)
        target->clear();
    auto data = std::make_unique<QFile>();
    const bool opened = TextLoad::open(TextLoad::locate(programFolder(), file), *data);
    // Stamped before reading: a save made during the reading is then seen as a change.
    if (opened)
        setLoadedStamp(target, *data);
    RowTable rows;
    if (opened && data->size() > TextLoad::kRowsAtOnceBytes) {
        // Read, split and ranked on a worker; the list takes the rows over in one step, and until then a
        // reload keeps showing the old ones.
        auto* load = new TextLoad::RowLoad(std::move(data), trimLines, target->widthRank(),
                                           ListBox::kRowsLaidOut, target);
        load->setObjectName(QLatin1String(kLoadName));
        const QString shown = file.shown;
        QObject::connect(load, &TextLoad::RowLoad::finished, target, [load, target, shown, again](bool ok) {
            load->deleteLater();
            if (ok)
                target->setRows(load->takeRows(), load->takeWidest(), true);
            else if (!again)
                reportMissing(shown, target->window());
        });
        return true;
    }
    if (!opened || !TextLoad::readRows(*data, trimLines, rows)) {
        if (!again)
            reportMissing(file.shown, target->window());
        return false;
    }
    target->setRows(std::move(rows));
    return true;
}

// A load of this many lines leaves enough freed memory behind to be worth handing back.
constexpr qsizetype kManyLines = 100000;

bool LoadTextFile(const TextLoad::DataFile& file, TextBox* target, bool trimLines,
                  const QString& progressPrefix, QLabel* progressLabel, const QString& progressSuffix) {
    const bool again = reloading(target);
    // The newest load into a box wins: an older one stops and gives back what it holds.
    delete target->findChild<TextLoad::Progressive*>(QLatin1String(kLoadName), Qt::FindDirectChildrenOnly);
    if (!again)
        target->clear();
    auto data = std::make_unique<QFile>();
    if (!TextLoad::open(TextLoad::locate(programFolder(), file), *data)) {
        if (!again)
            reportMissing(file.shown, target->window());
        return false;
    }
    setLoadedStamp(target, *data);
    target->setLinesShareBlocks(data->size() > TextLoad::kRowsAtOnceBytes);
    const bool progress = !progressSuffix.isEmpty() && progressLabel;
    if (!progress) {
        QStringList lines;
        if (!TextLoad::readLines(*data, trimLines, lines)) {
            if (!again)
                reportMissing(file.shown, target->window());
            return false;
        }
        QString text;
        qsizetype size = 0;
        for (const QString& line : lines)
            size += line.size() + 1;
        text.reserve(size);
        for (const QString& line : lines) {
            text += line;
            text += u'\n';
        }
        target->setText(text);
        return true;
    }

    // Read and decoded on a worker; the text grows and the label counts as the lines arrive, and the
    // window stays live meanwhile. A reload keeps the old text until the new one starts to arrive.
    auto* load = new TextLoad::Progressive(std::move(data), trimLines, target);
    load->setObjectName(QLatin1String(kLoadName));
    QPointer<QLabel> label(progressLabel);
    auto count = std::make_shared<qsizetype>(0);
    QObject::connect(
        load, &TextLoad::Progressive::batch, target,
        [target, label, count, again, progressPrefix, progressSuffix](const QString& text, qsizetype lines) {
            if (again && *count == 0)
                target->clear();
            target->appendText(text);
            *count += lines;
            if (label)
                label->setText(progressPrefix + QString::number(*count) + progressSuffix);
        });
    const QString shown = file.shown;
    QObject::connect(load, &TextLoad::Progressive::finished, target,
                     [load, target, shown, again, count](bool ok) {
                         load->deleteLater();
                         if (ok && again && *count == 0)
                             target->clear(); // the file was saved empty
                         if (!ok && !again)
                             reportMissing(shown, target->window());
                         // The batches went through the worker's heap, which keeps what they freed.
                         if (*count > kManyLines)
                             Platform::releaseFreeMemory();
                     });
    return true;
}

QMargins frameMargins(const QWidget* window) {
    if (!window->isVisible())
        return {};
    const QRect f = window->frameGeometry();
    const QRect g = window->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

double outerWidthTw(const QWidget* window) {
    const QMargins m = effectiveFrame(window);
    return Placement::pixelsToTwips(window->width() + m.left() + m.right());
}

double outerHeightTw(const QWidget* window) {
    const QMargins m = effectiveFrame(window);
    return Placement::pixelsToTwips(window->height() + m.top() + m.bottom());
}

void setOuterWidthTw(QWidget* window, double twips) {
    const QMargins m = effectiveFrame(window);
    const int client = Placement::twipsToPixels(twips) - m.left() - m.right();
    if (client >= 0 && client != window->width())
        window->resize(client, window->height());
}

void PlaceWindowBottomRight(QWidget* window) {
    PlaceWindowBottomRight(window, 100, 80);
}

void PlaceWindowBottomRight(QWidget* window, double marginRight, double marginBottom) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSizeF screenTw(Placement::pixelsToTwips(screen->geometry().width()),
                          Placement::pixelsToTwips(screen->geometry().height()));
    const QSizeF outerTw(outerWidthTw(window), outerHeightTw(window));
    const QPointF at = Placement::bottomRight(screenTw, outerTw, marginRight, marginBottom);
    // Before the first show the frame is only estimated; FormBase places the window again once shown.
    window->setProperty(kPlacementProperty, QPointF(marginRight, marginBottom));
    // move() places the frame's top-left corner on a top-level window.
    window->move(screen->geometry().left() + Placement::twipsToPixels(at.x()),
                 screen->geometry().top() + Placement::twipsToPixels(at.y()));
}

void initApplication(QApplication& app) {
    Platform::prepareMemory();
    initSharedResources();
    app.setApplicationName(QStringLiteral("qmquery"));
    if (!qobject_cast<AppStyle*>(QApplication::style()))
        app.setStyle(new AppStyle(QApplication::style()->name()));
    // The design's Traditional Chinese faces; on systems without them, a Ming face keeps the look.
    const QStringList ming = {QStringLiteral("MingLiU"),        QStringLiteral("PMingLiU"),
                              QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing HK"),
                              QStringLiteral("AR PL New Sung"), QStringLiteral("Noto Serif CJK TC")};
    QFont::insertSubstitutions(QStringLiteral("細明體"), ming);
    QFont::insertSubstitutions(QStringLiteral("新細明體"), ming);
    QFont::insertSubstitutions(QStringLiteral("MingLiU"), ming.mid(2));
    QFont::insertSubstitutions(QStringLiteral("PMingLiU"), ming.mid(2));
    QFont font(QStringLiteral("新細明體"));
    font.setPointSizeF(9);
    app.setFont(font);
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/qmquery.png")));
}

} // namespace Module1
