#pragma once

#include <QListView>
#include <QTimer>

class FileList;
class Thumbnails;

// Thumbnails of what a file list holds, over a picture area. The grid shows the list's own model with the
// list's own selection, so the two always pick the same file, and follows every re-reading of the list.
// Hidden until opened (Ctrl+T in the window, or "縮圖" in the list's context menu). While it is open the
// list keeps the keyboard: arrows, Page Up/Down, Home and End move in the grid, Enter (or a click on a
// thumbnail) picks the file and closes the grid, Escape closes it; other keys act on the list as ever.
// Only thumbnails of the rows on screen and a screen each way are made, those on screen first.
class ThumbGrid : public QListView {
    Q_OBJECT
public:
    ThumbGrid(FileList* list, QWidget* area);

    [[nodiscard]] bool isOpen() const { return open_; }
    void setOpen(bool open);
    [[nodiscard]] Thumbnails* thumbnails() const { return thumbnails_; }

    // The rows whose thumbnails were last asked for, in the order asked.
    [[nodiscard]] QList<int> wantedRows() const { return wantedRows_; }

signals:
    // The grid closed: the picture area is the picture's again.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showContextMenu(const QPoint& at);
    void askForVisible();
    void thumbnailReady(const QString& path);
    void paintArrived();

    FileList* list_;
    QWidget* area_;
    Thumbnails* thumbnails_;
    QTimer ask_;
    QTimer paint_;
    QList<int> arrived_;
    QList<int> wantedRows_;
    QHash<QString, int> rowOf_;
    bool open_ = false;
};
