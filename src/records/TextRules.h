#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace tessary::text {

// The longest task name, in user-perceived characters.
inline constexpr int kTaskNameMaxCharacters = 40;

// Removes leading and trailing white space and line breaks (every Unicode
// separator plus the control characters TAB, LF, VT, FF, CR and NEL).
QString trimmed(const QString &s);

// The first `count` user-perceived characters (grapheme clusters): a combined
// emoji or a letter with its accents counts once and is never split.
QString leftCharacters(const QString &s, int count);

// Trim, then cut to 40 characters. The one rule for a task name entering the system.
QString cleanTaskName(const QString &s);

// A key under which texts that differ only in letter case or diacritics are equal
// (decompose, drop the combining marks, fold case; no locale).
QString foldKey(const QString &s);
bool equalIgnoringCaseAndDiacritics(const QString &a, const QString &b);

// Exact, case-sensitive comparison in which canonically equivalent texts are equal.
bool canonicallyEqual(const QString &a, const QString &b);

// "%02d:%02d" of minutes and seconds; minutes are not wrapped into hours (125:00).
QString clockText(std::int64_t totalSeconds);

// What a round without a task is shown as: "未分类".
QString uncategorizedTaskName();

// The text shown for a round's task: the trimmed name, or "未分类" when absent or blank.
QString displayTaskName(const std::optional<QString> &taskName);

} // namespace tessary::text
