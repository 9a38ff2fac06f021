#include "WmfText.h"

#include "WmfPlayer.h"
#include "WmfReader.h"
#include "platform/CodePages.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace Wmf {
namespace {

constexpr double farAway = 1e7;
constexpr int maxFaces = 16;

// The Windows code page of a font's character set.
int codePageOfCharset(int charset) {
    switch (charset) {
    case 1: // the system's own code page, which for this program's files is Big5
    case 136:
        return 950;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 2:
        return 28591;
    default:
        return 1252;
    }
}

bool isDoubleByteCharset(int charset) {
    return charset == 1 || charset == 136 || charset == 128 || charset == 129 || charset == 134;
}

} // namespace

QString decodeText(QByteArrayView bytes, int charset) {
    // A lead byte with nothing after it would sit in the decoder unseen; show it as unreadable.
    bool danglingLead = false;
    if (isDoubleByteCharset(charset)) {
        for (qsizetype i = 0; i < bytes.size();) {
            const bool pair = quint8(bytes[i]) >= 0x81 && i + 1 < bytes.size();
            danglingLead = !pair && quint8(bytes[i]) >= 0x81;
            i += pair ? 2 : 1;
        }
    }
    if (danglingLead)
        bytes.chop(1);
    // Metafile text is drawn with '?' for what it cannot show.
    QString text = Platform::decodeCodePage(codePageOfCharset(charset), bytes);
    text.replace(QChar::ReplacementCharacter, u'?');
    return danglingLead ? text + QChar(u'?') : text;
}

QList<std::pair<QString, int>> splitCharacters(QByteArrayView bytes, int charset) {
    QList<std::pair<QString, int>> out;
    const bool dbcs = isDoubleByteCharset(charset);
    for (qsizetype i = 0; i < bytes.size();) {
        const int take = dbcs && quint8(bytes[i]) >= 0x81 && i + 1 < bytes.size() ? 2 : 1;
        out.append({decodeText(bytes.sliced(i, take), charset), take});
        i += take;
    }
    return out;
}

bool Player::extTextOut(const Record& rec) {
    const qsizetype n = rec.words();
    if (n < 4)
        return tooShort();
    const qsizetype len = rec.u(2);
    const quint16 opts = rec.u(3);
    qsizetype at = 4;
    QRectF box;
    if (opts & 0x0006) { // ETO_OPAQUE or ETO_CLIPPED carry a rectangle
        if (n < 8)
            return tooShort();
        box = st.mapRect(rec.s(4), rec.s(5), rec.s(6), rec.s(7));
        at = 8;
    }
    const qsizetype strWords = (len + 1) / 2;
    if (at + strWords > n)
        return tooShort();
    QList<int> dx;
    if (at + strWords + len <= n) {
        for (qsizetype i = 0; i < len; ++i)
            dx << rec.s(at + strWords + i);
    }
    if (opts & 0x0002) {
        if (!charge(box))
            return false;
        painter.fillRect(onPicture(box), st.bkColor);
    }
    return text(rec.params.sliced(2 * at, len), rec.s(1), rec.s(0), opts, box, dx);
}

bool Player::text(QByteArrayView bytes, int x, int y, quint16 opts, const QRectF& box, const QList<int>& dx) {
    const bool updateCp = st.textAlign & 1;
    if (updateCp)
        x = st.current.x(), y = st.current.y();
    const double sy = std::abs(st.scaleY()), sx = st.scaleX();
    QFont font;
    // Every new family name is a font-database search that stays cached, so a file gets only a few.
    const QString& face = st.font.face;
    if (!face.isEmpty() && (faces.contains(face) || faces.size() < maxFaces)) {
        if (!faces.contains(face))
            faces << face;
        font.setFamily(face);
    }
    const double logical = st.font.height == 0 ? 12 / std::max(sy, 1e-9) : std::abs(st.font.height);
    const int pixels = int(std::clamp(std::round(logical * sy), 1.0, 4096.0));
    font.setPixelSize(pixels);
    if (st.font.weight > 0)
        font.setWeight(QFont::Weight(std::clamp(st.font.weight, 100, 900)));
    font.setItalic(st.font.italic);
    font.setUnderline(st.font.underline);
    font.setStrikeOut(st.font.strikeOut);
    if (st.font.height > 0) { // a positive height is the cell height, leading included
        const QFontMetricsF m(font);
        if (m.height() > 0)
            font.setPixelSize(std::max(1, int(std::round(pixels * pixels / m.height()))));
    }
    const QFontMetricsF metrics(font);
    const auto chars = splitCharacters(bytes, st.font.charset);

    QList<double> advances;
    double width = 0;
    qsizetype byte = 0;
    for (const auto& [s, take] : chars) {
        double adv = metrics.horizontalAdvance(s);
        if (byte + take <= dx.size()) {
            adv = 0;
            for (int k = 0; k < take; ++k)
                adv += dx[byte + k] * std::abs(sx);
        }
        byte += take;
        advances << adv;
        width += adv;
    }
    const QRectF guess(st.map(x, y) - QPointF(width, metrics.height()),
                       QSizeF(2 * width, 2 * metrics.height()));
    // Drawing a glyph takes about as long as filling a 64 x 64 square.
    if (!charge(guess, bytes.size() * std::max<qint64>(4096, qint64(pixels) * pixels / 4)))
        return false;

    double left = 0;
    const int horizontal = st.textAlign & 6;
    if (horizontal == 2)
        left = -width;
    else if (horizontal == 6)
        left = -width / 2;
    const int vertical = st.textAlign & 24;
    const double baseline = vertical == 24 ? 0 : vertical == 8 ? -metrics.descent() : metrics.ascent();

    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode); // the background box below is GDI's, not Qt's
    if (opts & 0x0004)
        painter.setClipRect(box);
    // Glyph positions are fixed-point inside Qt; text that far out could never show anyway.
    const QPointF origin = st.map(x, y);
    if (std::abs(origin.x()) > farAway || std::abs(origin.y()) > farAway) {
        painter.restore();
        return true;
    }
    painter.translate(origin);
    if (st.font.escapement != 0)
        painter.rotate(-st.font.escapement / 10.0);
    if (st.bkOpaque)
        painter.fillRect(QRectF(left, baseline - metrics.ascent(), width, metrics.height())
                             .intersected(QRectF(-farAway, -farAway, 2 * farAway, 2 * farAway)),
                         st.bkColor);
    painter.setFont(font);
    painter.setPen(st.textColor);
    double pen = left;
    for (qsizetype i = 0; i < chars.size() && std::abs(pen) <= farAway; ++i) {
        painter.drawText(QPointF(pen, baseline), chars[i].first);
        pen += advances[i];
    }
    painter.restore();
    if (updateCp && sx != 0)
        st.current.setX(int(std::clamp(std::round(st.current.x() + width / sx), -1e9, 1e9)));
    return true;
}

} // namespace Wmf
