#include "widgets/DirList.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
// The list is narrow and paths can be deep: indent one blank a level, and no deeper than this.
constexpr int kMaxIndent = 4;

QString indent(int depth) {
    return QString(qMin(depth, kMaxIndent), u' ');
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
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !QDir(info.absoluteFilePath()).isReadable())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
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

    QStringList chain;
    QDir d(path_);
    chain.prepend(path_);
    while (d.cdUp())
        chain.prepend(d.absolutePath());
    int depth = 0;
    for (const QString& p : chain) {
        const QString name = QDir(p).isRoot() ? QDir::toNativeSeparators(p) : QFileInfo(p).fileName();
        auto* item = new QListWidgetItem(openIcon, indent(depth) + name, this);
        item->setData(kPathRole, p);
        ++depth;
    }
    setCurrentRow(count() - 1);

    QStringList subs;
    QDirIterator it(path_, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        subs.append(it.fileName());
    }
    std::sort(subs.begin(), subs.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    const QString prefix = path_.endsWith(u'/') ? path_ : path_ + u'/';
    for (const QString& s : subs) {
        auto* item = new QListWidgetItem(closedIcon, indent(depth) + s, this);
        item->setData(kPathRole, prefix + s);
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
