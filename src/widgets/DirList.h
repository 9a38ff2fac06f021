#pragma once

#include <QListWidget>

// The folder list: the current folder's ancestors from the root down, the current folder, then its
// sub-folders. Double-click or Enter opens the entry.
class DirList : public QListWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget* parent = nullptr);

    [[nodiscard]] QString path() const { return path_; }
    // Opens `folder`; emits Change at once when the path changes. False (nothing changes) when the
    // folder does not exist or cannot be read.
    bool setPath(const QString& folder);
    // Re-reads the sub-folders of the current folder.
    void refresh();

signals:
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openEntry(QListWidgetItem* item);
    void rebuild();

    QString path_;
};
