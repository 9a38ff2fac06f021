#include "core/ArticleList.h"

#include "core/FileNames.h"
#include "platform/CodePages.h"

#include <algorithm>

namespace ArticleList {

namespace {

// A sort key per name: ASCII folded to lower case, other characters by their code page 950 bytes,
// characters outside that code page after all of them by code point.
QByteArray sortKey(const QString& name) {
    QByteArray key;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const qsizetype width = name[i].isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QStringView ch = QStringView(name).sliced(i, width);
        i += width - 1;
        const char32_t code = ch.size() == 2 ? QChar::surrogateToUcs4(ch[0], ch[1]) : ch[0].unicode();
        if (code < 0x80) {
            key.append(char(0x00)).append(static_cast<char>(QChar::toLower(code)));
            continue;
        }
        const QByteArray bytes = Platform::encodeCodePage950(ch);
        if (bytes.size() == 2 && !bytes.contains('?')) {
            key.append(char(0x01)).append(bytes);
        } else {
            key.append(char(0x02));
            key.append(static_cast<char>((code >> 16) & 0xFF));
            key.append(static_cast<char>((code >> 8) & 0xFF));
            key.append(static_cast<char>(code & 0xFF));
        }
    }
    return key;
}

} // namespace

QString folderName() {
    return QStringLiteral("心得文章");
}

QStringList sortNames(QStringList names) {
    std::vector<std::pair<QByteArray, QString>> keyed;
    keyed.reserve(names.size());
    for (QString& name : names)
        keyed.emplace_back(sortKey(FileNames::display(name)), std::move(name));
    // Names equal but for case can meet on case-sensitive file systems; keep their order fixed.
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return a.second < b.second;
    });
    QStringList sorted;
    sorted.reserve(qsizetype(keyed.size()));
    for (auto& [key, name] : keyed)
        sorted.append(std::move(name));
    return sorted;
}

QString titleOf(const QString& name) {
    // Characters, not UTF-16 units: a name never loses half of a surrogate pair.
    qsizetype end = name.size();
    for (int k = 0; k < 4; ++k) {
        if (end == 0)
            return {};
        --end;
        if (end > 0 && name[end].isLowSurrogate() && name[end - 1].isHighSurrogate())
            --end;
    }
    return name.left(end);
}

QString fileFor(const QString& title, const QStringList& names) {
    const QString wanted = title + QStringLiteral(".txt");
    for (const QString& listed : names) {
        if (FileNames::display(listed) == wanted)
            return listed;
    }
    for (const QString& listed : names) {
        if (FileNames::display(listed).compare(wanted, Qt::CaseInsensitive) == 0)
            return listed;
    }
    return wanted;
}

int pageCount(qsizetype entries) {
    if (entries <= 0)
        return 0;
    return static_cast<int>(entries / kPerPage + (entries % kPerPage != 0 ? 1 : 0));
}

int nextPage(int current, qsizetype entries) {
    int page = current + 1;
    const int last = pageCount(entries);
    if (page > last)
        page = last;
    // An empty list still shows page 1.
    return page < 1 ? 1 : page;
}

int previousPage(int current) {
    return current - 1 < 1 ? 1 : current - 1;
}

QStringList pageTitles(const QStringList& names, int page) {
    QStringList titles;
    for (int k = 0; k < kPerPage; ++k) {
        const qsizetype j = (qsizetype(page) - 1) * kPerPage + k;
        titles.append(j >= 0 && j < names.size() ? titleOf(FileNames::display(names[j])) : QString());
    }
    return titles;
}

} // namespace ArticleList
