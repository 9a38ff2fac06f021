#include "core/Search.h"

#include "core/Find.h"

#include <algorithm>

namespace Search {

QStringList words(QStringView query) {
    const QString folded = Find::fold(query);
    QStringList list;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        const bool end = i == folded.size();
        // A pasted line break or tab separates words as a space does: no line holds one.
        if (end || folded[i] == u' ' || folded[i] == u'\t' || folded[i] == u'\r' || folded[i] == u'\n') {
            if (i > start)
                list.append(folded.mid(start, i - start));
            start = i + 1;
        }
    }
    return list;
}

Text::Text(QString decoded, bool trim) : folded_(std::move(decoded)), trim_(trim) {
    const qsizetype n = folded_.size();
    if (n == 0)
        return;
    // Files of up to the loaders' size limit: positions fit in 32 bits.
    char16_t* d = reinterpret_cast<char16_t*>(folded_.data());
    starts_.push_back(0);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = d[i];
        if (u < 0x80) {
            if (u >= u'A' && u <= u'Z') {
                changes_.push_back({qint32(i), u});
                d[i] = char16_t(u - u'A' + u'a');
            } else if (u == u'\r' || u == u'\n') {
                if (u == u'\r' && i + 1 < n && d[i + 1] == u'\n')
                    ++i;
                if (i + 1 < n)
                    starts_.push_back(qint32(i + 1));
            }
        } else if ((u >= 0xFF01 && u <= 0xFF5E) || u == 0x3000) {
            changes_.push_back({qint32(i), u});
            d[i] = Find::foldChar(QChar(u)).unicode();
        }
    }
    folded_.squeeze();
    starts_.shrink_to_fit();
    changes_.shrink_to_fit();
}

bool Text::foldedFrom3000(qsizetype at) const {
    const auto it = std::lower_bound(changes_.begin(), changes_.end(), at,
                                     [](const Change& c, qsizetype p) { return c.at < p; });
    return it != changes_.end() && it->at == at && it->original == 0x3000;
}

void Text::bounds(qsizetype line, qsizetype& begin, qsizetype& end) const {
    const QChar* d = folded_.constData();
    begin = starts_[size_t(line)];
    end = size_t(line + 1) < starts_.size() ? starts_[size_t(line + 1)] : folded_.size();
    if (end > begin && d[end - 1] == u'\n')
        --end;
    if (end > begin && d[end - 1] == u'\r')
        --end;
    if (!trim_)
        return;
    // Only ASCII spaces are trimmed; a folded ideographic space stays, as the loaders keep it.
    while (begin < end && d[begin] == u' ' && !foldedFrom3000(begin))
        ++begin;
    while (end > begin && d[end - 1] == u' ' && !foldedFrom3000(end - 1))
        --end;
}

qsizetype Text::lineLength(qsizetype line) const {
    if (line < 0 || line >= lineCount())
        return 0;
    qsizetype begin = 0, end = 0;
    bounds(line, begin, end);
    return end - begin;
}

QString Text::line(qsizetype line, qsizetype from, qsizetype to) const {
    if (line < 0 || line >= lineCount())
        return {};
    qsizetype begin = 0, end = 0;
    bounds(line, begin, end);
    const qsizetype length = end - begin;
    to = to < 0 || to > length ? length : to;
    from = qBound<qsizetype>(0, from, to);
    // A character outside the Basic Multilingual Plane is shown whole or not at all.
    const QChar* d = folded_.constData() + begin;
    if (from > 0 && from < to && d[from].isLowSurrogate())
        --from;
    if (to < length && to > from && d[to - 1].isHighSurrogate())
        ++to;
    QString shown = folded_.mid(begin + from, to - from);
    auto it = std::lower_bound(changes_.begin(), changes_.end(), begin + from,
                               [](const Change& c, qsizetype p) { return c.at < p; });
    for (; it != changes_.end() && it->at < begin + to; ++it)
        shown[it->at - begin - from] = QChar(it->original);
    return shown;
}

void Text::find(const QStringList& words, std::vector<Hit>& hits) const {
    if (words.isEmpty() || starts_.empty())
        return;
    // The longest word is the rarest as a rule: it alone is looked for through the whole text.
    const QString anchor = *std::max_element(
        words.begin(), words.end(), [](const QString& a, const QString& b) { return a.size() < b.size(); });
    const QStringView all(folded_);
    qsizetype at = 0;
    while (true) {
        const qsizetype found = all.indexOf(anchor, at);
        if (found < 0)
            return;
        const auto next = std::upper_bound(starts_.begin(), starts_.end(), qint32(found));
        const qsizetype line = (next - starts_.begin()) - 1;
        qsizetype begin = 0, end = 0;
        bounds(line, begin, end);
        const QStringView text = all.sliced(begin, end - begin);
        qsizetype column = -1;
        qsizetype length = 0;
        for (const QString& word : words) {
            const qsizetype c = text.indexOf(word);
            if (c < 0) {
                column = -1;
                break;
            }
            if (column < 0 || c < column) {
                column = c;
                length = word.size();
            }
        }
        if (column >= 0)
            hits.push_back({qint32(line), qint32(column), qint32(length)});
        if (next == starts_.end())
            return;
        at = *next;
    }
}

qsizetype Text::memory() const {
    return qsizetype(sizeof(Text)) + folded_.capacity() * qsizetype(sizeof(QChar)) +
           qsizetype(starts_.capacity() * sizeof(qint32) + changes_.capacity() * sizeof(Change));
}

Span excerpt(qsizetype lineLength, qsizetype column, qsizetype length, qsizetype width) {
    if (lineLength <= width)
        return {0, lineLength};
    // A third of the room before the match, so what leads up to it reads too.
    qsizetype from = qMax<qsizetype>(0, column - qMax<qsizetype>(0, width - length) / 3);
    const qsizetype to = qMin(lineLength, from + width);
    from = qMax<qsizetype>(0, to - width);
    return {from, to};
}

} // namespace Search
