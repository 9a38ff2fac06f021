#pragma once

#include "forms/FormBase.h"
#include "platform/PictureFile.h"
#include "platform/Trash.h"
#include "widgets/PanGesture.h"

#include <QImage>
#include <QPoint>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class DirList;
class DriveList;
class FileList;
class ImageBox;
class PictureCache;
class ThumbGrid;

// Picture viewer for the game's screenshots: drive, folder and file lists on the left, the picked
// picture at natural size on the right, a date filter for screenshots, deletion and hand-off.
class showpic : public FormBase {
    Q_OBJECT
public:
    showpic();

    // Shows the viewer on one folder's pictures only, with most of the left column hidden.
    void showPictureList(const QString& folder, const QString& pattern, const QImage& picture);

    // The full path of the file list's selected entry, or empty.
    [[nodiscard]] QString selectedPath() const;

    // Decodes the selected picture and its neighbours in the background.
    [[nodiscard]] PictureCache* pictures() const { return pictures_; }
    // How far a picture larger than the frame has been moved from its top-left corner, in pixels.
    [[nodiscard]] QPoint pan() const { return pan_.offset(); }
    // What this run of the program moved to the trash, the latest last, kept while the viewer is closed
    // and opened again: Ctrl+Z puts them back in turn. Tests clear it to start afresh.
    [[nodiscard]] static QList<Platform::TrashedFile>& trashedThisRun();

    QPushButton* Command2 = nullptr;
    DriveList* Drive1 = nullptr;
    DirList* Dir1 = nullptr;
    QPushButton* Command3 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QComboBox* Combo3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QLabel* Label1 = nullptr;
    FileList* File1 = nullptr;
    QFrame* Picture1 = nullptr;
    ImageBox* Image1 = nullptr;
    ImageBox* Image2 = nullptr;
    QTimer* Timer1 = nullptr;
    // Thumbnails of the file list over the picture area (Ctrl+T); not in the design.
    ThumbGrid* Thumbs = nullptr;

    static constexpr auto kAllPictures = "*.bmp;*.gif;*.jpg;*.ico;*.wmf";

protected:
    void Form_Load() override;
    void Form_Resize() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void File1_Click();
    void File1_DblClick();
    void File1_KeyDown(int keyCode, int shift);
    void File1_LostFocus();
    void Timer1_Timer();
    void pictureReady(const QString& path, const Platform::PictureLoad& load);

private:
    void Combo1_KeyPress(int& keyAscii);
    void Combo2_KeyPress(int& keyAscii);
    void Combo3_KeyPress(int& keyAscii);
    void SetCaption();
    void SetPicture();
    // Deleting and putting back (showpicDelete.cpp).
    void deleteafile(const QString& path);
    void deletePermanently(const QString& path, const QString& whyNotTrashed);
    [[nodiscard]] bool stillShown(const QString& path);
    void removedFromList();
    void undoDelete();
    void openFile(const QString& path);
    void showListOrLabel();
    void openDefaultFolder();
    void showPicture(const QImage& picture);
    [[nodiscard]] bool pictureLargerThanFrame() const;

    PictureCache* pictures_ = nullptr;
    // The file last shown (or refused) for the selected name: a deletion removes that file or nothing.
    QString shownPath_;
    Platform::FileStamp shownStamp_;
    PanGesture pan_;
};
