#include "ArchiveFactory.h"

#include <random>

namespace tessary::fixtures {

QList<StudySession> makeArchive(int count, int eventsPerSession, Timestamp newest, unsigned seed)
{
    std::mt19937 rng(seed);
    auto uuid = [&] {
        std::array<std::uint8_t, 16> b;
        for (auto &x : b)
            x = std::uint8_t(rng());
        return Uuid(b);
    };
    static const QString tasks[] = {QStringLiteral("高等数学"), QStringLiteral("English reading"),
                                    QStringLiteral("写作 · 第二章"), QStringLiteral("Éclair recipe")};
    QList<StudySession> sessions;
    sessions.reserve(count);
    for (int i = 0; i < count; ++i) {
        StudySession s;
        s.id = uuid();
        s.startedAt = newest.addSecs(-std::int64_t(i) * 4 * 3600 - std::int64_t(rng() % 600));
        s.plannedMinutes = 25 + std::int64_t(rng() % 40);
        s.focusedSeconds = s.plannedMinutes * 60 - std::int64_t(rng() % 300);
        s.endedAt = s.startedAt.addSecs(s.plannedMinutes * 60 + 45);
        if (i % 5 != 4)
            s.taskName = tasks[i % 4];
        s.reminderMinimumMinutes = 3;
        s.reminderMaximumMinutes = 5;
        s.microBreakSeconds = 10;
        for (int e = 0; e < eventsPerSession; ++e) {
            FocusEvent ev;
            ev.id = uuid();
            ev.elapsedSeconds = std::int64_t(e) * s.focusedSeconds / std::max(eventsPerSession, 1);
            ev.date = s.startedAt.addSecs(ev.elapsedSeconds + e * 10);
            ev.kind = static_cast<FocusEventKind>(rng() % 5);
            s.events.append(ev);
        }
        s.startEnergy = 1 + std::int64_t(rng() % 5);
        s.endEnergy = 1 + std::int64_t(rng() % 5);
        s.focusRating = 1 + std::int64_t(rng() % 5);
        s.completed = rng() % 4 != 0;
        s.note = i % 3 == 0 ? QStringLiteral("状态不错, 中途\"走神\"一次") : QString();
        sessions.append(std::move(s));
    }
    return sessions;
}

AppSettings richSettings()
{
    return {.selectedDurationMinutes = 42, .reminderMinimumMinutes = 4, .reminderMaximumMinutes = 9,
            .microBreakSeconds = 12, .reminderSound = QStringLiteral("随机"), .completionSound = QStringLiteral("Ping"),
            .showNextReminder = true, .autoPlayMusic = true, .musicService = MusicService::netEase,
            .musicSource = MusicSource::playlist, .playlistName = QStringLiteral("专注 \"深夜\""),
            .appearanceMode = AppearanceMode::light, .floatingTimerOnMinimize = false, .floatingSignalButtons = true,
            .taskNames = QStringList{QStringLiteral("高等数学"), QStringLiteral("English reading")},
            .selectedTaskName = QStringLiteral("高等数学"),
            .ambientSounds = QStringList{QStringLiteral("rain"), QStringLiteral("brownNoise")},
            .ambientVolumes =
                QMap<QString, double>{{QStringLiteral("rain"), 0.5}, {QStringLiteral("brownNoise"), 0.25}},
            .ambientMasterVolume = 0.6, .ambientFollowsFocus = false, .pauseOnLock = true};
}

} // namespace tessary::fixtures
