#include "widgets/DirList.h"

#include "core/FileNames.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
// The list is narrow and paths can be deep: indent one blank a level, and no deeper than this.
constexpr int kMaxIndent = 4;

QString indent(int depth) {
    return QString(qMin(depth, kMaxIndent), u' ');
}

// The folders from the root down to `path` (clean, absolute), by the text alone: a name may hold bytes
// that are not UTF-8, which Qt's own path handling would not keep.
QStringList chainTo(const QString& path) {
    QStringList chain;
    for (qsizetype i = path.indexOf(u'/'); i >= 0 && i < path.size() - 1; i = path.indexOf(u'/', i + 1)) {
        // "/" and "C:/" end in their separator; every other folder does not.
        chain.append(path.left(i == 0 || path.at(i - 1) == u':' ? i + 1 : i));
    }
    chain.append(path);
    return chain;
}

QString lastName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 || slash == path.size() - 1 ? QDir::toNativeSeparators(path) : path.mid(slash + 1);
}
} // namespace

DirList::DirList(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirList::openEntry);
}

bool DirList::setPath(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QString absolute = QDir::isAbsolutePath(folder) ? folder : QDir::currentPath() + u'/' + folder;
    const QString clean = QDir::cleanPath(absolute);
    if (!Platform::canReadFolder(clean))
        return false;
    if (clean == path_)
        return true;
    path_ = clean;
    rebuild();
    emit Change();
    return true;
}

void DirList::refresh() {
    rebuild();
}

void DirList::rebuild() {
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    int depth = 0;
    for (const QString& p : chainTo(path_)) {
        auto* item = new QListWidgetItem(openIcon, indent(depth) + FileNames::display(lastName(p)), this);
        item->setData(kPathRole, p);
        ++depth;
    }
    setCurrentRow(count() - 1);

    // Folders and links to folders only: a link to a device or a pipe is not a place to go.
    struct Sub {
        QString key;
        QString name;
        QString shown;
    };
    std::vector<Sub> subs;
    for (Platform::FolderEntry& e : Platform::listFolder(path_)) {
        if (!e.isFolder || e.hidden)
            continue;
        QString shown = FileNames::display(e.name);
        subs.push_back({shown.toCaseFolded(), std::move(e.name), std::move(shown)});
    }
    std::sort(subs.begin(), subs.end(),
              [](const Sub& a, const Sub& b) { return std::tie(a.key, a.name) < std::tie(b.key, b.name); });
    const QString prefix = path_.endsWith(u'/') ? path_ : path_ + u'/';
    for (const Sub& s : subs) {
        auto* item = new QListWidgetItem(closedIcon, indent(depth) + s.shown, this);
        item->setData(kPathRole, prefix + s.name);
    }
}

void DirList::openEntry(QListWidgetItem* item) {
    if (item)
        setPath(item->data(kPathRole).toString());
}

void DirList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openEntry(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}
