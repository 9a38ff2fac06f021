#include "widgets/FileList.h"

#include "core/Wildcard.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Some Ming faces report almost no descent, and the row then cuts off the underscores that every
// screenshot name has; a few pixels more keep them visible.
class RoomyRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rheight() += 4;
        return size;
    }
};

} // namespace

FileList::FileList(QWidget* parent) : ListBox(parent), pattern_(QStringLiteral("*.*")) {
    setItemDelegate(new RoomyRows(this));
}

QStringList FileList::listFolder(const QString& folder, const QString& pattern) {
    const QStringList patterns = Wildcard::splitPatterns(pattern);
    // Each name with its case-folded sort key, folded once rather than in every comparison.
    std::vector<std::pair<QString, QString>> keyed;
    // The iterator's filters use the directory entry's type, so no file is looked at one by one.
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        QString name = it.nextFileInfo().fileName();
        if (Wildcard::matchesAny(name, patterns))
            keyed.emplace_back(name.toCaseFolded(), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end());
    QStringList names;
    names.reserve(qsizetype(keyed.size()));
    for (auto& k : keyed)
        names.append(std::move(k.second));
    return names;
}

bool FileList::setPath(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !QDir(info.absoluteFilePath()).isReadable())
        return false;
    path_ = QDir::cleanPath(info.absoluteFilePath());
    refresh();
    return true;
}

void FileList::clearPath() {
    path_.clear();
    refresh();
}

void FileList::setPattern(const QString& pattern) {
    pattern_ = pattern;
    refresh();
}

void FileList::refresh() {
    setItems(path_.isEmpty() ? QStringList{} : listFolder(path_, pattern_));
}

QString FileList::fullPath(int index) const {
    const QString name = itemText(index);
    if (name.isEmpty())
        return {};
    const QString folder = QDir::toNativeSeparators(path_);
    return folder.endsWith(QDir::separator()) ? folder + name : folder + QDir::separator() + name;
}

void FileList::keyPressEvent(QKeyEvent* event) {
    int code = 0;
    if (event->key() == Qt::Key_Delete)
        code = 46;
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        code = 13;
    if (code != 0) {
        const Qt::KeyboardModifiers m = event->modifiers();
        const int shift = (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                          (m & Qt::AltModifier ? 4 : 0);
        emit keyDown(code, shift);
        event->accept();
        return;
    }
    ListBox::keyPressEvent(event);
}

void FileList::focusOutEvent(QFocusEvent* event) {
    ListBox::focusOutEvent(event);
    // Only focus moving to another control counts: a message box or a switch to another program
    // must not re-read the list under a pending action (the delete question needs the selection).
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit lostFocus();
}
