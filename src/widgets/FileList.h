#pragma once

#include "widgets/ListBox.h"

// The file list: the regular files (and links to them) of one folder that match a ";"-joined pattern,
// hidden files left out, sorted by name without regard to case. Items are the names as the folder holds
// them (core/FileNames), rows show them as the player reads them; patterns and sorting go by what rows
// show. Filled at once whenever its path or pattern is set.
class FileList : public ListBox {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    [[nodiscard]] QString path() const { return path_; }
    // False (nothing changes) when the folder cannot be read.
    bool setPath(const QString& folder);
    [[nodiscard]] QString pattern() const { return pattern_; }
    void setPattern(const QString& pattern);
    // Points the list at no folder: it lists nothing until a path is set.
    void clearPath();
    // Re-reads the folder through the current pattern; the selection is dropped.
    void refresh();
    // The folder, a separator unless the folder already ends in one, and the entry's name.
    [[nodiscard]] QString fullPath(int index) const;

    struct Listing {
        QStringList names; // as the folder holds them
        QStringList shown; // as rows show them
    };
    // The matching files of `folder`, sorted; exposed for the benchmark.
    [[nodiscard]] static Listing listFolder(const QString& folder, const QString& pattern);

signals:
    // Key codes as the handlers take them (46 Delete, 13 Enter) and modifier bits (1 Shift, 2 Ctrl, 4 Alt).
    void keyDown(int keyCode, int shift);
    void lostFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString path_;
    QString pattern_;
};
