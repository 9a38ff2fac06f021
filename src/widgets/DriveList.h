#pragma once

#include "platform/Drives.h"

#include <QComboBox>

// The drive list: one entry per drive, the picked one's root folder is what a pick opens.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    void setDrives(const QList<Platform::Drive>& drives);
    // The picked drive's root folder.
    [[nodiscard]] QString drive() const;
    // Picks the drive with this root or label (letter case ignored); emits Change when it changes.
    bool setDrive(const QString& rootOrLabel);

signals:
    void Change();
};
