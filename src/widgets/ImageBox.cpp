#include "widgets/ImageBox.h"

#include <QPaintEvent>
#include <QPainter>

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageBox::setPicture(QImage picture) {
    // Only the current picture is kept: the previous one is released here.
    picture_ = std::move(picture);
    // A picture without transparency covers the whole box: what lies beneath need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent, !picture_.isNull() && !picture_.hasAlphaChannel());
    resize(picture_.isNull() ? QSize(0, 0) : picture_.deviceIndependentSize().toSize());
    update();
}

void ImageBox::paintEvent(QPaintEvent* event) {
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.drawImage(event->rect(), picture_, event->rect());
}
