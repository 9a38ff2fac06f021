#include "widgets/DriveList.h"

#include "platform/Drives.h"

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    setDrives(Platform::drives());
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            emit Change();
    });
}

void DriveList::setDrives(const QList<Platform::Drive>& drives) {
    const QSignalBlocker block(this);
    clear();
    for (const auto& d : drives)
        addItem(d.label, d.root);
}

QString DriveList::drive() const {
    return currentData().toString();
}

bool DriveList::setDrive(const QString& rootOrLabel) {
    for (int i = 0; i < count(); ++i) {
        if (Platform::sameFolder(itemData(i).toString(), rootOrLabel) ||
            itemText(i).compare(rootOrLabel, Qt::CaseInsensitive) == 0) {
            setCurrentIndex(i);
            return true;
        }
    }
    return false;
}
