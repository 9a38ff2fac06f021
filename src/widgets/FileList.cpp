#include "widgets/FileList.h"

#include "core/FileNames.h"
#include "core/Wildcard.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <algorithm>
#include <tuple>
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

FileList::Listing FileList::listFolder(const QString& folder, const QString& pattern) {
    const QStringList patterns = Wildcard::splitPatterns(pattern);
    struct Row {
        QString key; // case-folded shown name, folded once rather than in every comparison
        QString name;
        QString shown;
    };
    std::vector<Row> rows;
    // Only what a listing names: each entry is one name, joined to the folder and never split again.
    for (Platform::FolderEntry& e : Platform::listFolder(folder)) {
        if (!e.isFile || e.hidden)
            continue;
        QString shown = FileNames::hasRawBytes(e.name) ? FileNames::display(e.name) : e.name;
        if (Wildcard::matchesAny(shown, patterns))
            rows.push_back({shown.toCaseFolded(), std::move(e.name), std::move(shown)});
    }
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return std::tie(a.key, a.name) < std::tie(b.key, b.name); });
    Listing listing;
    listing.names.reserve(qsizetype(rows.size()));
    listing.shown.reserve(qsizetype(rows.size()));
    for (Row& r : rows) {
        listing.names.append(std::move(r.name));
        listing.shown.append(std::move(r.shown));
    }
    return listing;
}

bool FileList::setPath(const QString& folder) {
    // Plain string work: a folder's name may hold bytes that are not UTF-8 (core/FileNames).
    const QString absolute = QDir::isAbsolutePath(folder) ? folder : QDir::currentPath() + u'/' + folder;
    const QString clean = QDir::cleanPath(absolute);
    if (!Platform::canReadFolder(clean))
        return false;
    path_ = clean;
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
    Listing listing = path_.isEmpty() ? Listing{} : listFolder(path_, pattern_);
    setItems(std::move(listing.names), std::move(listing.shown));
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
