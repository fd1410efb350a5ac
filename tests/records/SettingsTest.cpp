#include "records/Settings.h"

#include <gtest/gtest.h>

using namespace tessary;

namespace {
AppSettings withTasks(QStringList tasks, std::optional<QString> selected = std::nullopt)
{
    AppSettings s;
    s.taskNames = std::move(tasks);
    s.selectedTaskName = std::move(selected);
    return s;
}
} // namespace

// The selection keeps stored order and duplicates and skips names of no sound; the mixer gets
// the squared volumes of the selected sounds (0.7 when none is stored) and nothing of the rest.
TEST(Settings, SelectedSoundsGetTheirSquaredVolumesAndTheRestNothing)
{
    AppSettings s;
    s.ambientSounds = QStringList{QStringLiteral("fire"), QStringLiteral("thunder"), QStringLiteral("rain"),
                                  QStringLiteral("fire")};
    s.ambientVolumes = QMap<QString, double>{{QStringLiteral("rain"), 0.5}, {QStringLiteral("wind"), 0.9}};
    s.ambientMasterVolume.reset();
    EXPECT_EQ(s.selectedAmbientSounds(),
              (QList<AmbientSound>{AmbientSound::fire, AmbientSound::rain, AmbientSound::fire}));
    const AmbientLevels l = s.ambientLevels();
    for (auto sound : allCases<AmbientSound>()) { // wind has a volume but is not selected
        const float expected = sound == AmbientSound::rain ? 0.25f : sound == AmbientSound::fire ? 0.49f : 0.0f;
        EXPECT_FLOAT_EQ(l.level(sound), expected) << enumString(sound);
    }
    EXPECT_FLOAT_EQ(l.master, 0.49f);
}

TEST(SettingsNormalisation, CleansDeduplicatesAndCutsTheTaskList)
{
    const QString fifty(50, QLatin1Char('L'));
    const AppSettings n = normalizedSettings(withTasks({QStringLiteral("  Math \n"), QStringLiteral("math"),
                                                        QStringLiteral("Éclair"), QStringLiteral("eclair"),
                                                        QString(), QStringLiteral(" \u3000 "), fifty}));
    EXPECT_EQ(*n.taskNames, (QStringList{QStringLiteral("Math"), QStringLiteral("Éclair"), fifty.left(40)}));
    AppSettings absent;
    absent.taskNames.reset();
    EXPECT_EQ(normalizedSettings(absent).taskNames, QStringList()); // an absent list becomes an empty one
}

TEST(SettingsNormalisation, SelectionMustMatchExactlyUpToCanonicalEquivalence)
{
    const struct {
        QStringList tasks;
        std::optional<QString> selected;
        std::optional<QString> expected;
    } cases[] = {
        {{QStringLiteral("Math")}, QStringLiteral("math"), std::nullopt},
        {{QStringLiteral("Math")}, QStringLiteral("  Math "), QStringLiteral("Math")},
        // Composed list entry, decomposed selection: the same text.
        {{QStringLiteral("caf\u00E9")}, QStringLiteral("cafe\u0301"), QStringLiteral("cafe\u0301")},
        // A selection of a name the list dropped as a duplicate is gone too.
        {{QStringLiteral("Math"), QStringLiteral("math")}, QStringLiteral("math"), std::nullopt},
        {{QStringLiteral("Math")}, std::nullopt, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(normalizedSettings(withTasks(c.tasks, c.selected)).selectedTaskName, c.expected)
            << c.tasks.join(u',').toStdString();
}

TEST(SettingsNormalisation, ClampsTheNumbers)
{
    // Reminder minimum and maximum, micro-break seconds, round minutes: as set, then as kept.
    const std::array<std::int64_t, 8> cases[] = {
        {0, 200, 2, 0, 1, 90, 5, 1},
        {45, 30, INT64_MAX, 5000, 45, 45, 60, 1440},
        {INT64_MIN, INT64_MIN, INT64_MIN, INT64_MIN, 1, 1, 5, 1},
        {61, 95, 61, 1441, 60, 90, 60, 1440},
    };
    for (const auto &c : cases) {
        AppSettings s;
        s.reminderMinimumMinutes = c[0];
        s.reminderMaximumMinutes = c[1];
        s.microBreakSeconds = c[2];
        s.selectedDurationMinutes = c[3];
        const AppSettings n = normalizedSettings(s);
        EXPECT_EQ((std::array{n.reminderMinimumMinutes, n.reminderMaximumMinutes, n.microBreakSeconds,
                              n.selectedDurationMinutes}),
                  (std::array{c[4], c[5], c[6], c[7]}))
            << c[0] << ' ' << c[1] << ' ' << c[2] << ' ' << c[3];
    }
}

TEST(SettingsNormalisation, IsIdempotentAndLeavesOtherFieldsAlone)
{
    AppSettings s = withTasks({QStringLiteral(" b "), QStringLiteral("B"), QStringLiteral("cafe\u0301")},
                              QStringLiteral("cafe\u0301 "));
    s.reminderMinimumMinutes = 70;
    s.ambientMasterVolume.reset();
    s.appearanceMode.reset();
    s.playlistName = QStringLiteral(" 原样 ");
    const AppSettings once = normalizedSettings(s);
    EXPECT_EQ(normalizedSettings(once), once);
    EXPECT_FALSE(once.ambientMasterVolume);
    EXPECT_FALSE(once.appearanceMode);
    EXPECT_EQ(once.playlistName, QStringLiteral(" 原样 "));
    EXPECT_EQ(normalizedSettings(AppSettings()), AppSettings()); // defaults are already normal
}
