#include "records/SessionRecords.h"
#include "records/TextRules.h"

#include <gtest/gtest.h>

using namespace tessary;

TEST(TextRules, TrimsEveryUnicodeSpaceAndLineBreak)
{
    EXPECT_EQ(text::trimmed(QStringLiteral(" \t\n\r\u000B\u000C\u0085\u00A0\u3000\u2028\u2029\u2003Math\u3000 \n")),
              QStringLiteral("Math"));
    // Inner white space and a zero-width space (not white space) stay.
    EXPECT_EQ(text::trimmed(QStringLiteral(" a b\u200B")), QStringLiteral("a b\u200B"));
}

TEST(TextRules, CutsAtFortyUserPerceivedCharacters)
{
    const QString family = QStringLiteral("👨‍👩‍👧‍👦"); // one cluster of 11 code units
    EXPECT_EQ(text::cleanTaskName(family.repeated(45)), family.repeated(40));
    const QString accented = QStringLiteral("e\u0301"); // e + combining acute: one character
    EXPECT_EQ(text::cleanTaskName(accented.repeated(41)), accented.repeated(40));
    // Plain letters and the trimming: SettingsNormalisation.CleansDeduplicatesAndCutsTheTaskList.
}

TEST(TextRules, FoldsCaseAndDiacriticsButNotOtherLetters)
{
    // Math/math and Éclair/eclair: SettingsNormalisation.CleansDeduplicatesAndCutsTheTaskList.
    EXPECT_TRUE(text::equalIgnoringCaseAndDiacritics(QStringLiteral("Ångström"), QStringLiteral("angstrom")));
    EXPECT_FALSE(text::equalIgnoringCaseAndDiacritics(QStringLiteral("数学"), QStringLiteral("数字")));
    EXPECT_FALSE(text::equalIgnoringCaseAndDiacritics(QStringLiteral("math"), QStringLiteral("maths")));
}

TEST(SessionRecords, MinutesRoundHalvesAwayFromZero)
{
    // No overflow at the edges either.
    for (const auto &[seconds, minutes] : std::initializer_list<std::pair<std::int64_t, std::int64_t>>{
             {1500, 25}, {89, 1}, {90, 2}, {29, 0}, {30, 1}, {-30, -1}, {-29, 0}, {INT64_MIN, INT64_MIN / 60},
             {INT64_MAX, INT64_MAX / 60}})
        EXPECT_EQ(roundedMinutes(seconds), minutes) << seconds;
}
