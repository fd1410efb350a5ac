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

TEST(Settings, EnumerationStringsRoundTripAndUnknownsAreNoValue)
{
    for (auto s : allCases<AmbientSound>())
        EXPECT_EQ(enumFromString<AmbientSound>(enumString(s)), s);
    EXPECT_EQ(enumLabel(AppSection::history), QStringLiteral("记录"));
    EXPECT_EQ(enumFromString<MusicService>(QStringLiteral("网易云音乐")), MusicService::netEase);
    EXPECT_FALSE(enumFromString<AppearanceMode>(std::string_view("Dark")));
    EXPECT_FALSE(enumFromString<AmbientSound>(std::string_view("thunder")));
}

TEST(Settings, AbsentOptionalsReadAsTheirDefaults)
{
    AppSettings s;
    s.musicService.reset();
    s.appearanceMode.reset();
    s.floatingTimerOnMinimize.reset();
    s.floatingSignalButtons.reset();
    s.ambientFollowsFocus.reset();
    s.ambientMasterVolume.reset();
    s.ambientVolumes.reset();
    s.ambientSounds.reset();
    EXPECT_EQ(s.effectiveMusicService(), MusicService::appleMusic);
    EXPECT_EQ(s.effectiveAppearanceMode(), AppearanceMode::dark);
    EXPECT_TRUE(s.effectiveFloatingTimerOnMinimize());
    EXPECT_FALSE(s.effectiveFloatingSignalButtons());
    EXPECT_TRUE(s.effectiveAmbientFollowsFocus());
    EXPECT_FLOAT_EQ(s.ambientLevels().master, 0.49f);
    EXPECT_TRUE(s.selectedAmbientSounds().isEmpty());
    EXPECT_DOUBLE_EQ(s.ambientVolume(AmbientSound::fire), 0.7);
}

TEST(Settings, SelectionSkipsUnknownSoundsAndKeepsOrderAndDuplicates)
{
    AppSettings s;
    s.ambientSounds = QStringList{QStringLiteral("fire"), QStringLiteral("thunder"), QStringLiteral("rain"),
                                  QStringLiteral("fire")};
    EXPECT_EQ(s.selectedAmbientSounds(),
              (QList<AmbientSound>{AmbientSound::fire, AmbientSound::rain, AmbientSound::fire}));
}

TEST(Settings, LevelsSquareSelectedVolumesAndZeroTheRest)
{
    AppSettings s;
    s.ambientSounds = QStringList{QStringLiteral("rain"), QStringLiteral("fire")};
    s.ambientVolumes = QMap<QString, double>{{QStringLiteral("rain"), 0.5}, {QStringLiteral("wind"), 0.9}};
    s.ambientMasterVolume.reset();
    const AmbientLevels l = s.ambientLevels();
    EXPECT_FLOAT_EQ(l.level(AmbientSound::rain), 0.25f);
    EXPECT_FLOAT_EQ(l.level(AmbientSound::fire), 0.49f);
    EXPECT_EQ(l.level(AmbientSound::wind), 0.0f); // has a volume but is not selected
    for (auto other : {AmbientSound::waves, AmbientSound::stream, AmbientSound::birds, AmbientSound::crickets,
                       AmbientSound::brownNoise})
        EXPECT_EQ(l.level(other), 0.0f);
    EXPECT_FLOAT_EQ(l.master, 0.49f);
}

TEST(SettingsNormalisation, CleansDeduplicatesAndCutsTheTaskList)
{
    const QString fifty(50, QLatin1Char('L'));
    const AppSettings n = normalizedSettings(withTasks({QStringLiteral("  Math \n"), QStringLiteral("math"),
                                                        QStringLiteral("Éclair"), QStringLiteral("eclair"),
                                                        QString(), QStringLiteral(" \u3000 "), fifty}));
    EXPECT_EQ(*n.taskNames, (QStringList{QStringLiteral("Math"), QStringLiteral("Éclair"), fifty.left(40)}));
}

TEST(SettingsNormalisation, AbsentTaskListBecomesAnEmptyOne)
{
    AppSettings s;
    s.taskNames.reset();
    EXPECT_EQ(normalizedSettings(s).taskNames, QStringList());
}

TEST(SettingsNormalisation, SelectionMustMatchExactlyUpToCanonicalEquivalence)
{
    EXPECT_FALSE(normalizedSettings(withTasks({QStringLiteral("Math")}, QStringLiteral("math"))).selectedTaskName);
    EXPECT_EQ(normalizedSettings(withTasks({QStringLiteral("Math")}, QStringLiteral("  Math "))).selectedTaskName,
              QStringLiteral("Math"));
    // Composed list entry, decomposed selection: the same text.
    EXPECT_TRUE(normalizedSettings(withTasks({QStringLiteral("caf\u00E9")}, QStringLiteral("cafe\u0301")))
                    .selectedTaskName.has_value());
    // A selection of a name the list dropped as a duplicate is gone too.
    EXPECT_FALSE(normalizedSettings(withTasks({QStringLiteral("Math"), QStringLiteral("math")}, QStringLiteral("math")))
                     .selectedTaskName);
    EXPECT_FALSE(normalizedSettings(withTasks({QStringLiteral("Math")})).selectedTaskName);
}

TEST(SettingsNormalisation, ClampsTheNumbers)
{
    AppSettings s;
    s.reminderMinimumMinutes = 0;
    s.reminderMaximumMinutes = 200;
    s.microBreakSeconds = 2;
    s.selectedDurationMinutes = 0;
    AppSettings n = normalizedSettings(s);
    EXPECT_EQ(n.reminderMinimumMinutes, 1);
    EXPECT_EQ(n.reminderMaximumMinutes, 90);
    EXPECT_EQ(n.microBreakSeconds, 5);
    EXPECT_EQ(n.selectedDurationMinutes, 1);

    s.reminderMinimumMinutes = 45;
    s.reminderMaximumMinutes = 30;
    s.selectedDurationMinutes = 5000;
    s.microBreakSeconds = INT64_MAX;
    n = normalizedSettings(s);
    EXPECT_EQ(n.reminderMinimumMinutes, 45);
    EXPECT_EQ(n.reminderMaximumMinutes, 45);
    EXPECT_EQ(n.selectedDurationMinutes, 1440);
    EXPECT_EQ(n.microBreakSeconds, 60);

    s.reminderMinimumMinutes = INT64_MIN;
    s.reminderMaximumMinutes = INT64_MIN;
    n = normalizedSettings(s);
    EXPECT_EQ(n.reminderMinimumMinutes, 1);
    EXPECT_EQ(n.reminderMaximumMinutes, 1);
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
