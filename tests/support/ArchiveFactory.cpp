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
    AppSettings s;
    s.selectedDurationMinutes = 42;
    s.reminderMinimumMinutes = 4;
    s.reminderMaximumMinutes = 9;
    s.microBreakSeconds = 12;
    s.reminderSound = QStringLiteral("随机");
    s.completionSound = QStringLiteral("Ping");
    s.showNextReminder = true;
    s.autoPlayMusic = true;
    s.musicService = MusicService::netEase;
    s.musicSource = MusicSource::playlist;
    s.playlistName = QStringLiteral("专注 \"深夜\"");
    s.appearanceMode = AppearanceMode::light;
    s.floatingTimerOnMinimize = false;
    s.floatingSignalButtons = true;
    s.taskNames = QStringList{QStringLiteral("高等数学"), QStringLiteral("English reading")};
    s.selectedTaskName = QStringLiteral("高等数学");
    s.ambientSounds = QStringList{QStringLiteral("rain"), QStringLiteral("brownNoise")};
    s.ambientVolumes = QMap<QString, double>{{QStringLiteral("rain"), 0.5}, {QStringLiteral("brownNoise"), 0.25}};
    s.ambientMasterVolume = 0.6;
    s.ambientFollowsFocus = false;
    s.pauseOnLock = true;
    return s;
}

} // namespace tessary::fixtures
