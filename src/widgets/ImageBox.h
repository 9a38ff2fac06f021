#pragma once

#include <QImage>
#include <QWidget>

// A picture control: shows its picture at natural size and takes that size (never stretched).
class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);

    void setPicture(QImage picture);
    [[nodiscard]] const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
