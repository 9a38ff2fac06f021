#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

// File-name patterns as the file list takes them: several patterns joined by ";", "*" for any run of
// characters, "?" for exactly one, letters compared without regard to case.
namespace Wildcard {

// The non-empty patterns of a ";"-joined list, blanks around each removed.
[[nodiscard]] QStringList splitPatterns(const QString& joined);

// Whether `name` matches one pattern.
[[nodiscard]] bool matches(QStringView name, QStringView pattern);

// Whether `name` matches any of the patterns.
[[nodiscard]] bool matchesAny(QStringView name, const QStringList& patterns);

// The game names a screenshot "qm" + yymmdd + "_" + a three-character number + ".bmp".
[[nodiscard]] QString datePattern(const QString& year, const QString& month, const QString& day);

// A date as two-digit year, month and day.
[[nodiscard]] std::array<QString, 3> dateFields(QDate date);

} // namespace Wildcard
