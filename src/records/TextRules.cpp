#include "TextRules.h"

#include <QTextBoundaryFinder>

namespace tessary::text {

namespace {
// QChar::isSpace covers the Unicode separators (Zs, Zl, Zp) and TAB..CR plus NEL,
// which is exactly the set of white space and line breaks we trim.
inline bool isTrimmable(QChar c) { return c.isSpace(); }
} // namespace

QString trimmed(const QString &s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isTrimmable(s.at(begin)))
        ++begin;
    while (end > begin && isTrimmable(s.at(end - 1)))
        --end;
    if (begin == 0 && end == s.size())
        return s;
    return s.mid(begin, end - begin);
}

QString leftCharacters(const QString &s, int count)
{
    if (s.size() <= count) // never more clusters than code units
        return s;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    int clusters = 0;
    while (finder.toNextBoundary() != -1) {
        if (++clusters == count)
            return s.left(finder.position());
    }
    return s;
}

QString cleanTaskName(const QString &s) { return leftCharacters(trimmed(s), kTaskNameMaxCharacters); }

QString foldKey(const QString &s)
{
    const QString decomposed = s.normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        const char32_t cp = decomposed.at(i).isHighSurrogate() && i + 1 < decomposed.size()
                                ? QChar::surrogateToUcs4(decomposed.at(i), decomposed.at(i + 1))
                                : decomposed.at(i).unicode();
        const int units = cp > 0xFFFF ? 2 : 1;
        if (QChar::category(cp) != QChar::Mark_NonSpacing)
            stripped.append(decomposed.mid(i, units));
        i += units - 1;
    }
    // Folding can produce new decomposable sequences; compose so equal texts share one key.
    return stripped.toCaseFolded().normalized(QString::NormalizationForm_C);
}

bool equalIgnoringCaseAndDiacritics(const QString &a, const QString &b) { return foldKey(a) == foldKey(b); }

bool canonicallyEqual(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

QString clockText(std::int64_t totalSeconds)
{
    // Truncating division keeps the sign on both parts, as "%02d:%02d" of s / 60 and s % 60 does.
    return QString::asprintf("%02lld:%02lld", (long long)(totalSeconds / 60), (long long)(totalSeconds % 60));
}

QString uncategorizedTaskName() { return QStringLiteral("未分类"); }

QString displayTaskName(const std::optional<QString> &taskName)
{
    if (!taskName)
        return uncategorizedTaskName();
    const QString t = trimmed(*taskName);
    return t.isEmpty() ? uncategorizedTaskName() : t;
}

} // namespace tessary::text
