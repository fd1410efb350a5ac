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
    EXPECT_EQ(text::trimmed(QStringLiteral(" \n ")), QString());
}

TEST(TextRules, CutsAtFortyUserPerceivedCharacters)
{
    const QString family = QStringLiteral("👨‍👩‍👧‍👦"); // one cluster of 11 code units
    QString name;
    for (int i = 0; i < 45; ++i)
        name += family;
    const QString cut = text::cleanTaskName(name);
    EXPECT_EQ(cut.size(), 40 * family.size());

    const QString accented = QStringLiteral("e\u0301"); // e + combining acute: one character
    QString long2;
    for (int i = 0; i < 41; ++i)
        long2 += accented;
    EXPECT_EQ(text::cleanTaskName(long2).size(), 80);

    EXPECT_EQ(text::cleanTaskName(QString(50, QLatin1Char('x'))), QString(40, QLatin1Char('x')));
    EXPECT_EQ(text::cleanTaskName(QStringLiteral("  短  ")), QStringLiteral("短"));
}

TEST(TextRules, FoldsCaseAndDiacriticsButNotOtherLetters)
{
    EXPECT_TRUE(text::equalIgnoringCaseAndDiacritics(QStringLiteral("Éclair"), QStringLiteral("eclair")));
    EXPECT_TRUE(text::equalIgnoringCaseAndDiacritics(QStringLiteral("MATH"), QStringLiteral("math")));
    EXPECT_TRUE(text::equalIgnoringCaseAndDiacritics(QStringLiteral("Ångström"), QStringLiteral("angstrom")));
    EXPECT_FALSE(text::equalIgnoringCaseAndDiacritics(QStringLiteral("数学"), QStringLiteral("数字")));
    EXPECT_FALSE(text::equalIgnoringCaseAndDiacritics(QStringLiteral("math"), QStringLiteral("maths")));
}

TEST(TextRules, CanonicalEquivalenceIsEqualityButCaseIsNot)
{
    EXPECT_TRUE(text::canonicallyEqual(QStringLiteral("\u00E9"), QStringLiteral("e\u0301")));
    EXPECT_FALSE(text::canonicallyEqual(QStringLiteral("Math"), QStringLiteral("math")));
}

TEST(SessionRecords, DisplayNameFallsBackToUncategorised)
{
    StudySession s;
    EXPECT_EQ(s.displayTaskName(), QStringLiteral("未分类"));
    s.taskName = QStringLiteral("  \n ");
    EXPECT_EQ(s.displayTaskName(), QStringLiteral("未分类"));
    s.taskName = QStringLiteral(" 数学 \n");
    EXPECT_EQ(s.displayTaskName(), QStringLiteral("数学"));
}

TEST(SessionRecords, CountsEventsByKindIgnoringPauseAndResume)
{
    StudySession s;
    for (auto k : {FocusEventKind::reminder, FocusEventKind::mindWander, FocusEventKind::pause,
                   FocusEventKind::resume, FocusEventKind::mindWander, FocusEventKind::fatigue})
        s.events.append(FocusEvent{Uuid::createRandom(), {}, 0, k});
    EXPECT_EQ(s.reminderCount(), 1);
    EXPECT_EQ(s.mindWanderCount(), 2);
    EXPECT_EQ(s.fatigueCount(), 1);
}

TEST(SessionRecords, EqualityCoversEveryFieldIdIncluded)
{
    StudySession a;
    a.id = Uuid::createRandom();
    StudySession b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    b.id = Uuid::createRandom();
    EXPECT_NE(a, b);
    b = a;
    b.taskName = QString();
    EXPECT_NE(a, b); // an empty name is not an absent one
}

TEST(SessionRecords, MinutesRoundHalvesAwayFromZero)
{
    EXPECT_EQ(roundedMinutes(1500), 25);
    EXPECT_EQ(roundedMinutes(89), 1);
    EXPECT_EQ(roundedMinutes(90), 2);
    EXPECT_EQ(roundedMinutes(29), 0);
    EXPECT_EQ(roundedMinutes(30), 1);
    EXPECT_EQ(roundedMinutes(-30), -1);
    EXPECT_EQ(roundedMinutes(-29), 0);
    EXPECT_EQ(roundedMinutes(INT64_MIN), INT64_MIN / 60); // no overflow at the edges
    EXPECT_EQ(roundedMinutes(INT64_MAX), INT64_MAX / 60);
}
