#pragma once

#include "records/Settings.h"
#include "records/Timestamp.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <cstdint>
#include <functional>

// What the store is given instead of reaching for the world itself: time, chance,
// delayed work, and the audio and music outputs. Tests pass fakes; the application
// passes the implementations at the bottom of this file. All are used on the main
// thread only.
namespace tessary {

class Clock {
public:
    virtual ~Clock() = default;
    virtual Timestamp now() const = 0;
};

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniformly distributed whole number in lower…upper, both included.
    virtual std::int64_t uniform(std::int64_t lower, std::int64_t upper) = 0;
};

// Runs `work` on the main thread after `ms` milliseconds unless `context` is gone by then.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual void after(int ms, QObject *context, std::function<void()> work) = 0;
};

// Plays short named alert sounds; an unknown name plays the alert beep. Playing a
// name that is still sounding restarts it.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &name) = 0;
};

// The ambient mixer as the store sees it.
class AmbientOutput {
public:
    virtual ~AmbientOutput() = default;
    // True when the mix is (or already was) audible.
    virtual bool play() = 0;
    virtual void stop() = 0;
    virtual void setLevels(const AmbientLevels &levels) = 0;
};

// What to play at the end of a round.
struct MusicRequest {
    MusicService service = MusicService::appleMusic;
    MusicSource source = MusicSource::library;
    QString playlistName;
};

// Starts end-of-round music in another application. `done` is called exactly once,
// later, on the main thread: `ok` with what now plays ("标题 — 艺人"), or not with
// why it failed (the words after "播放失败："). Calls are neither queued nor
// cancelled; each runs to its own end.
class MusicStarter {
public:
    virtual ~MusicStarter() = default;
    virtual void playRandom(const MusicRequest &request, std::function<void(bool ok, const QString &text)> done) = 0;
};

// Everything the store depends on. The objects must outlive the store.
struct StoreServices {
    Clock *clock = nullptr;
    RandomSource *random = nullptr;
    Scheduler *scheduler = nullptr;
    SoundPlayer *sounds = nullptr;
    AmbientOutput *ambient = nullptr;
    MusicStarter *music = nullptr;
    QString dataFilePath;
    QTimeZone zone = QTimeZone::systemTimeZone(); // whose calendar days the statistics count
    // Where an emergency copy goes when the document cannot be saved at quit, and where the
    // next start looks for one (backups::emergencyDirectories() in the application).
    QStringList emergencyDirectories;
};

// ---------------------------------------------------------------------------
// The application's implementations.

class SystemClock final : public Clock {
public:
    Timestamp now() const override;
};

class SystemRandom final : public RandomSource {
public:
    std::int64_t uniform(std::int64_t lower, std::int64_t upper) override;
};

class TimerScheduler final : public Scheduler {
public:
    void after(int ms, QObject *context, std::function<void()> work) override;
};

} // namespace tessary
