#pragma once

// Screenshots that look like the game's: a sky, hills, trees, a figure, a status bar, a map and chat
// lines, each different by its seed, saved as JPEG.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

namespace Screenshots {

inline QImage paint(int width, int height, quint32 seed) {
    QRandomGenerator random(seed);
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int hue = random.bounded(360);
    QLinearGradient sky(0, 0, 0, height * 0.6);
    sky.setColorAt(0, QColor::fromHsv(hue % 60 + 190, 150, 230));
    sky.setColorAt(1, QColor::fromHsv((hue + 30) % 360, 60, 250));
    p.fillRect(img.rect(), sky);
    // Two ranges of hills, the nearer darker.
    for (int range = 0; range < 2; ++range) {
        QPainterPath hills;
        const double base = height * (0.45 + 0.15 * range);
        hills.moveTo(0, height);
        for (int x = 0; x <= width; x += width / 8)
            hills.lineTo(x, base - random.bounded(height / 6));
        hills.lineTo(width, height);
        p.fillPath(hills, QColor::fromHsv(90 + random.bounded(40), 140, 150 - 50 * range));
    }
    for (int t = 0; t < 6; ++t) {
        const int x = random.bounded(width);
        const int y = int(height * 0.65) + random.bounded(height / 4);
        p.fillRect(x - 2, y, 4, height / 14, QColor(90, 60, 30));
        p.setBrush(QColor::fromHsv(100 + random.bounded(30), 200, 110));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(x, y), width / 40, height / 22);
    }
    // The player's figure in the middle.
    p.setBrush(QColor::fromHsv(random.bounded(360), 200, 200));
    p.drawRect(width / 2 - width / 60, height / 2, width / 30, height / 10);
    p.setBrush(QColor(240, 200, 170));
    p.drawEllipse(QPoint(width / 2, height / 2 - height / 40), width / 70, width / 70);
    // Map, status bar and chat.
    p.setBrush(QColor(20, 40, 20, 200));
    p.setPen(QColor(200, 180, 120));
    p.drawEllipse(QPoint(width - width / 10, height / 8), width / 14, width / 14);
    p.fillRect(0, height - height / 12, width, height / 12, QColor(40, 30, 20));
    p.fillRect(width / 40, height - height / 18, width / 4, height / 40, QColor(190, 30, 30));
    p.fillRect(width / 3, height - height / 18, width / 5, height / 40, QColor(40, 60, 200));
    QFont font = p.font();
    font.setPixelSize(std::max(8, height / 40));
    p.setFont(font);
    p.setPen(Qt::white);
    for (int line = 0; line < 3; ++line)
        p.drawText(width / 40, height - height / 6 - line * (height / 30),
                   QStringLiteral("[%1] 冒險者%2: 今天在哪裡集合?").arg(10 + line).arg(random.bounded(99)));
    p.drawText(width - width / 4, height - height / 40, QStringLiteral("Lv %1").arg(seed % 90 + 1));
    return img;
}

inline QByteArray jpeg(int width, int height, quint32 seed, int quality = 80) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    paint(width, height, seed).save(&buffer, "JPEG", quality);
    return buffer.data();
}

} // namespace Screenshots
