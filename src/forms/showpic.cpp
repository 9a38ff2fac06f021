#include "forms/showpic.h"

#include "core/Centring.h"
#include "core/FileNames.h"
#include "core/PictureBudget.h"
#include "core/Version.h"
#include "core/Wildcard.h"
#include "modules/Module1.h"
#include "modules/PictureCache.h"
#include "platform/Drives.h"
#include "platform/Platform.h"
#include "widgets/DirList.h"
#include "widgets/DriveList.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"
#include "widgets/ThumbGrid.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace {

const QColor kGrey(192, 192, 192);
// Our own short credit for the folder title.
QString credit() {
    return QStringLiteral("qmquery 玩家工具");
}

void paint(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QComboBox* dateCombo(QWidget* parent, const char* name, int first, int last) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    for (int v = first; v <= last; ++v)
        c->addItem(QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')));
    c->addItem(QStringLiteral("??"));
    c->setEnabled(false);
    return c;
}

} // namespace

// The viewer's resources live in a static library: register them before first use.
static void initViewerResources() {
    Q_INIT_RESOURCE(viewer);
}

showpic::showpic() : pictures_(new PictureCache(this)) {
    initViewerResources();
    setObjectName(QStringLiteral("showpic"));
    setWindowTitle(QStringLiteral("看圖程式"));
    setClientSizeTw(7500, 6435);

    const auto button = [this](const char* name, const QString& caption, int l, int t, int w, int h) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        Twips::setGeometry(b, l, t, w, h);
        return b;
    };
    Command2 = button("Command2", QStringLiteral("說明(&H)"), 0, 0, 1815, 375);

    Drive1 = Twips::place(new DriveList(this), "Drive1", 0, 360, 1815, 300);

    Dir1 = Twips::place(new DirList(this), "Dir1", 0, 720, 1815, 1560);

    Command3 = button("Command3", QStringLiteral("Quellmark圖片目錄"), 0, 2280, 1815, 375);

    Combo1 = dateCombo(this, "Combo1", 0, 1);
    Twips::setGeometry(Combo1, 0, 2640, 590, 300);
    Combo2 = dateCombo(this, "Combo2", 1, 12);
    Twips::setGeometry(Combo2, 600, 2640, 590, 300);
    Combo3 = dateCombo(this, "Combo3", 1, 31);
    Twips::setGeometry(Combo3, 1200, 2640, 590, 300);
    // Typing is blocked wherever it arrives: keys reach the combo first and the combo hands them to its
    // line edit directly, input methods commit text, and text can be dropped. The line edit is read-only
    // besides, so no other way in (a context menu's paste) is left open.
    for (QComboBox* c : {Combo1, Combo2, Combo3}) {
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
        c->lineEdit()->setReadOnly(true);
        c->setAcceptDrops(false);
        c->lineEdit()->setAcceptDrops(false);
        c->setAttribute(Qt::WA_InputMethodEnabled, false);
        c->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    Command1 = button("Command1", QStringLiteral("重設"), 0, 2930, 590, 255);
    Command4 = button("Command4", QStringLiteral("啟動"), 600, 2930, 590, 255);
    Command5 = button("Command5", QStringLiteral("尋找"), 1200, 2930, 590, 255);
    Command5->setEnabled(false);

    // Created before the file list so that the list covers it wherever the list is shown.
    Label1 = new QLabel(QStringLiteral("沒有圖片"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    QFont big = Label1->font();
    big.setPointSize(36);
    Label1->setFont(big);
    Twips::setGeometry(Label1, 120, 3960, 1575, 1575);

    File1 = Twips::place(new FileList(this), "File1", 0, 3120, 1815, 4410);
    File1->setPattern(QLatin1String(kAllPictures));

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // Reached by Tab, but a click to move the picture leaves the keyboard (the arrow keys) with the list.
    Picture1->setFocusPolicy(Qt::TabFocus);
    Twips::setGeometry(Picture1, 1800, 0, 2895, 2535);

    Image1 = Twips::place(new ImageBox(Picture1), "Image1", 480, 360, 9600, 7200);
    // The design lets the lists and the picture frame overlap the buttons' edges by a pixel or four:
    // the buttons are drawn whole above them.
    for (QPushButton* b : {Command1, Command2, Command3, Command4, Command5})
        b->raise();
    Image1->hide();
    Picture1->installEventFilter(this);
    Image1->installEventFilter(this);

    Image2 = new ImageBox(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPicture(QImage(QStringLiteral(":/viewer/startup.gif")));
    Image2->hide();

    Thumbs = new ThumbGrid(File1, Picture1);
    // The picture picked in the grid is decoded once the grid makes way for it.
    connect(Thumbs, &ThumbGrid::closed, this, &showpic::File1_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->start();

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Picture1);
    setTabOrder(Picture1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Combo1);
    setTabOrder(Combo1, Combo2);
    setTabOrder(Combo2, Combo3);
    setTabOrder(Combo3, Command1);
    setTabOrder(Command1, Command4);
    setTabOrder(Command4, Command5);

    connect(Drive1, &DriveList::Change, this, &showpic::Drive1_Change);
    connect(Dir1, &DirList::Change, this, &showpic::Dir1_Change);
    connect(Command1, &QPushButton::clicked, this, &showpic::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &showpic::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &showpic::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &showpic::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &showpic::Command5_Click);
    connect(File1, &ListBox::itemPicked, this, &showpic::File1_Click);
    connect(File1, &QAbstractItemView::doubleClicked, this, &showpic::File1_DblClick);
    connect(File1, &FileList::keyDown, this, &showpic::File1_KeyDown);
    connect(File1, &FileList::lostFocus, this, &showpic::File1_LostFocus);
    connect(Timer1, &QTimer::timeout, this, &showpic::Timer1_Timer);
    connect(pictures_, &PictureCache::ready, this, &showpic::pictureReady);
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this, &showpic::undoDelete);
}

void showpic::Form_Load() {
    const auto today = Wildcard::dateFields(QDate::currentDate());
    Combo1->setEditText(today[0]);
    Combo2->setEditText(today[1]);
    Combo3->setEditText(today[2]);

    paint(this, QPalette::Window, kGrey);
    paint(Picture1, QPalette::Window, kGrey);
    for (QWidget* w :
         {static_cast<QWidget*>(Drive1), static_cast<QWidget*>(Dir1), static_cast<QWidget*>(File1)})
        paint(w, QPalette::Base, Qt::white);

    setWindowState(Qt::WindowMaximized);
    Form_Resize();

    openDefaultFolder();
    if (!Platform::sameFolder(Dir1->path(), Platform::defaultScreenshotFolder())) {
        Dir1->setPath(Module1::programFolder());
        SetCaption();
    }
}

// Drive C, then the game's screenshot folder; each step may fail quietly.
void showpic::openDefaultFolder() {
    Drive1->setDrive(Platform::driveC().root);
    Dir1->setPath(Platform::defaultScreenshotFolder());
    SetCaption();
}

void showpic::Command3_Click() {
    openDefaultFolder();
    if (!Platform::sameFolder(Dir1->path(), Platform::defaultScreenshotFolder())) {
        Module1::MsgBox(QStringLiteral("找不到QM安裝目錄"), Module1::MsgButtons::Ok, Module1::MsgIcon::None,
                        this);
        SetCaption();
    }
}

void showpic::Drive1_Change() {
    if (!Dir1->setPath(Drive1->drive())) {
        Module1::MsgBox(QStringLiteral("無法存取指定磁碟機，") + u'\r' +
                            QStringLiteral("請確定系統已經連上該裝置。") + u'\r' +
                            QStringLiteral("ERROR: 裝置尚未就緒。"),
                        Module1::MsgButtons::Ok, Module1::MsgIcon::Exclamation, this);
    }
}

void showpic::Dir1_Change() {
    // Another folder's pictures are not its neighbours: let them go.
    pictures_->clear();
    File1->setPath(Dir1->path());
    setWindowTitle(QStringLiteral("看圖程式 Beta 2 ") + credit() + QStringLiteral("  現在開啟的目錄: ") +
                   u'"' + QDir::toNativeSeparators(Dir1->path()).toUpper() + u'"');
    showListOrLabel();
}

void showpic::showListOrLabel() {
    File1->setVisible(File1->listCount() > 0);
}

void showpic::SetCaption() {
    setWindowTitle(QStringLiteral("看圖程式 版本:") + Version::text() + QStringLiteral(" 現在開啟目錄: ") +
                   QDir::toNativeSeparators(Dir1->path()));
}

void showpic::Command4_Click() {
    for (QWidget* w : {static_cast<QWidget*>(Combo1), static_cast<QWidget*>(Combo2),
                       static_cast<QWidget*>(Combo3), static_cast<QWidget*>(Command5)})
        w->setEnabled(true);
    Command4->setEnabled(false);
}

void showpic::Command5_Click() {
    File1->setPattern(
        Wildcard::datePattern(Combo1->currentText(), Combo2->currentText(), Combo3->currentText()));
    showListOrLabel();
}

void showpic::Command1_Click() {
    File1->show();
    for (QWidget* w : {static_cast<QWidget*>(Combo1), static_cast<QWidget*>(Combo2),
                       static_cast<QWidget*>(Combo3), static_cast<QWidget*>(Command5)})
        w->setEnabled(false);
    Command4->setEnabled(true);
    File1->setPattern(QLatin1String(kAllPictures));
}

void showpic::Combo1_KeyPress(int& keyAscii) {
    keyAscii = 0;
}
void showpic::Combo2_KeyPress(int& keyAscii) {
    keyAscii = 0;
}
void showpic::Combo3_KeyPress(int& keyAscii) {
    keyAscii = 0;
}

bool showpic::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Picture1 || watched == Image1) && pan_.handle(event, pictureLargerThanFrame())) {
        SetPicture();
        return true;
    }
    QComboBox* combo = nullptr;
    for (QComboBox* c : {Combo1, Combo2, Combo3}) {
        if (watched == c || watched == c->lineEdit())
            combo = c;
    }
    if (!combo)
        return FormBase::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    case QEvent::KeyPress:
        break;
    default:
        return FormBase::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    // Arrows still pick items and Tab still moves on; anything that would edit the text is a typed
    // character and is dropped.
    const QString text = key->text();
    const bool types = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    const bool edits = types || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                       key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut);
    if (!edits)
        return FormBase::eventFilter(watched, event);
    int keyAscii = text.isEmpty() ? 0 : text.at(0).unicode();
    if (combo == Combo1)
        Combo1_KeyPress(keyAscii);
    else if (combo == Combo2)
        Combo2_KeyPress(keyAscii);
    else
        Combo3_KeyPress(keyAscii);
    return keyAscii == 0 || text.isEmpty();
}

void showpic::showPictureList(const QString& folder, const QString& pattern, const QImage& picture) {
    Show();
    if (isUnloading())
        return;
    // A missing folder must not leave the previous folder's pictures listed under the new pattern.
    const bool found = Dir1->setPath(folder);
    if (!found)
        File1->clearPath();
    File1->setPattern(pattern);
    if (!found)
        showListOrLabel();
    for (QWidget* w :
         {static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command3), static_cast<QWidget*>(Command4),
          static_cast<QWidget*>(Command5), static_cast<QWidget*>(Dir1), static_cast<QWidget*>(Drive1)})
        w->hide();
    Twips::setTop(File1, Twips::height(Command2) + 10);
    for (QComboBox* c : {Combo1, Combo2, Combo3})
        c->hide();
    pictures_->clear();
    Image2->setPicture(picture);
    showPicture(picture);
    Form_Resize();
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
}

void showpic::Form_Resize() {
    const auto l = Centring::layout(Twips::width(this), Twips::height(this), Twips::left(Picture1),
                                    Twips::top(Picture1), Twips::top(File1));
    Twips::setWidth(Picture1, l.frameWidth);
    Twips::setHeight(Picture1, l.frameHeight);
    SetPicture();
    Twips::setHeight(File1, l.listHeight);
}

void showpic::SetPicture() {
    Image1->show();
    const QRect inner = Picture1->contentsRect();
    const QSize picture = Image1->size();
    const QPoint wanted = pan_.offset();
    const QPoint pan(Centring::clampPan(inner.width(), picture.width(), wanted.x()),
                     Centring::clampPan(inner.height(), picture.height(), wanted.y()));
    pan_.setOffset(pan);
    Image1->move(inner.left() + Centring::pannedOffset(inner.width(), picture.width(), pan.x()),
                 inner.top() + Centring::pannedOffset(inner.height(), picture.height(), pan.y()));
    // The pointer tells when there is more of the picture to see.
    if (!pictureLargerThanFrame())
        Picture1->unsetCursor();
    else
        Picture1->setCursor(pan_.dragging() ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}

// A new picture opens at its top-left corner.
void showpic::showPicture(const QImage& picture) {
    Image1->setPicture(picture);
    pan_.setOffset({});
}

bool showpic::pictureLargerThanFrame() const {
    if (Image1->picture().isNull())
        return false;
    const QRect inner = Picture1->contentsRect();
    return Image1->width() > inner.width() || Image1->height() > inner.height();
}

void showpic::Timer1_Timer() {
    showPicture(Image2->picture());
    Timer1->stop();
    SetPicture();
}

QString showpic::selectedPath() const {
    return File1->fullPath(File1->listIndex());
}

void showpic::File1_Click() {
    const QString path = selectedPath();
    if (path.isEmpty() || Thumbs->isOpen())
        return;
    // Decoded off the interface thread, the neighbours next; the outcome comes to pictureReady, at once
    // when it is already known. Until then the previous picture stays.
    const int i = File1->listIndex();
    pictures_->request(path, {File1->fullPath(i + 1), File1->fullPath(i - 1)});
}

void showpic::pictureReady(const QString& path, const Platform::PictureLoad& load) {
    // The list was re-read or another file picked since: this outcome is no longer the player's.
    if (path != selectedPath())
        return;
    if (load.error == Platform::PictureError::None)
        showPicture(load.image);
    shownPath_ = path;
    shownStamp_ = load.stamp;
    SetPicture();
    // Painted now rather than on the next turn of the event loop: a small picture decoded at once is
    // on screen as soon as it is ready.
    if (load.error == Platform::PictureError::None)
        Image1->repaint();
    const QString shown = FileNames::displayPath(path);
    switch (load.error) {
    case Platform::PictureError::None:
        break;
    case Platform::PictureError::Invalid:
        Module1::MsgBox(shown + QStringLiteral(" 不是正確格式的BMP,GIF87a,圖示,WMF或JPG壓縮圖檔。"),
                        Module1::MsgButtons::Ok, Module1::MsgIcon::None, this);
        break;
    case Platform::PictureError::TooLarge:
        Module1::MsgBox(shown + QStringLiteral(" 圖片太大(%1×%2像素)，超過可顯示的上限(%3百萬像素)。")
                                    .arg(load.size.width())
                                    .arg(load.size.height())
                                    .arg(PictureBudget::megapixels(pictures_->budget())),
                        Module1::MsgButtons::Ok, Module1::MsgIcon::None, this);
        break;
    case Platform::PictureError::NotFound:
        Module1::MsgBox(shown + QStringLiteral(" 已經不存在。"), Module1::MsgButtons::Ok,
                        Module1::MsgIcon::None, this);
        File1->refresh();
        break;
    case Platform::PictureError::Other:
        Module1::MsgBox(QStringLiteral("發生不可處理／不明的錯誤，") + u'\r' +
                            QStringLiteral("即將結束看圖程式。"),
                        Module1::MsgButtons::Ok, Module1::MsgIcon::None, this);
        close();
        break;
    }
}

void showpic::File1_DblClick() {
    openFile(selectedPath());
}

void showpic::openFile(const QString& path) {
    if (path.isEmpty())
        return;
    QPointer<showpic> self(this);
    Platform::openDocument(path, [self, shown = FileNames::displayPath(path)] {
        Module1::MsgBox(QStringLiteral("無法開啟檔案:") + u'"' + shown + u'"' + u'\r' +
                            QStringLiteral("沒有可以開啟這種檔案的程式。"),
                        Module1::MsgButtons::Ok, Module1::MsgIcon::Exclamation, self);
    });
}

void showpic::File1_KeyDown(int keyCode, int shift) {
    constexpr int kDelete = 46;
    constexpr int kEnter = 13;
    constexpr int kShift = 1;
    const QString path = selectedPath();
    if (path.isEmpty())
        return;
    if (keyCode == kDelete) {
        // What the player is deleting: the file shown, or the one the name holds now if none is yet.
        if (shownPath_ != path)
            shownStamp_ = Platform::stampFile(path), shownPath_ = path;
        if (shift == kShift) {
            deleteafile(path);
            return;
        }
        const auto answer =
            Module1::MsgBox(QStringLiteral("刪除檔案:") + u'"' + FileNames::displayPath(path) + u'"' + u'?' +
                                QStringLiteral("\r(檔案會移到資源回收筒)"),
                            Module1::MsgButtons::YesNo, Module1::MsgIcon::Question, this);
        if (answer == Module1::MsgResult::Yes)
            deleteafile(path);
    } else if (keyCode == kEnter) {
        openFile(path);
    }
}

void showpic::File1_LostFocus() {
    File1->refresh();
}

void showpic::Command2_Click() {
    Module1::MsgBox(QStringLiteral("按Delete鍵可以刪除圖檔\r\nShift+Delete則可以刪除而不用使用者確認\r\n"
                                   "按Enter則可呼叫預設圖檔編輯程式。"));
}
