#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tessary {

enum class AppSection { focus, insights, history, settings };
enum class AppearanceMode { dark, light };
enum class MusicService { appleMusic, netEase };
enum class MusicSource { library, playlist };
enum class AmbientSound { rain, waves, stream, wind, fire, birds, crickets, brownNoise };

// The string form of each case, in declaration order. It is the persisted value and,
// for sections, music services and sources, also the label the user sees.
template <typename E>
struct EnumStrings;
template <>
struct EnumStrings<AppSection> {
    static constexpr std::array<std::string_view, 4> names{"专注", "洞察", "记录", "设置"};
};
template <>
struct EnumStrings<AppearanceMode> {
    static constexpr std::array<std::string_view, 2> names{"dark", "light"};
};
template <>
struct EnumStrings<MusicService> {
    static constexpr std::array<std::string_view, 2> names{"Apple Music", "网易云音乐"};
};
template <>
struct EnumStrings<MusicSource> {
    static constexpr std::array<std::string_view, 2> names{"整个资料库", "指定播放列表"};
};
template <>
struct EnumStrings<AmbientSound> {
    static constexpr std::array<std::string_view, 8> names{"rain", "waves",  "stream",   "wind",
                                                           "fire", "birds", "crickets", "brownNoise"};
};

template <typename E>
constexpr std::string_view enumString(E value)
{
    return EnumStrings<E>::names[static_cast<size_t>(value)];
}

template <typename E>
QString enumLabel(E value)
{
    const auto s = enumString(value);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// No value for a string that names no case.
template <typename E>
constexpr std::optional<E> enumFromString(std::string_view text)
{
    const auto &names = EnumStrings<E>::names;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == text)
            return static_cast<E>(i);
    return std::nullopt;
}

template <typename E>
std::optional<E> enumFromString(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return enumFromString<E>(std::string_view(utf8.constData(), size_t(utf8.size())));
}

// Every case in declaration order.
template <typename E>
constexpr auto allCases()
{
    std::array<E, EnumStrings<E>::names.size()> cases{};
    for (size_t i = 0; i < cases.size(); ++i)
        cases[i] = static_cast<E>(i);
    return cases;
}

inline constexpr size_t kAmbientSoundCount = EnumStrings<AmbientSound>::names.size();

// Sound names offered for the reminder ("随机" picks one of the others each time)
// and for the end of a round.
extern const std::array<QString, 8> reminderSoundOptions;
extern const std::array<QString, 8> completionSoundOptions;

// Gains handed to the ambient mixer: squared slider positions.
struct AmbientLevels {
    float master = 0.0f;
    std::array<float, kAmbientSoundCount> sounds{}; // indexed by AmbientSound, all eight always present

    float level(AmbientSound s) const { return sounds[static_cast<size_t>(s)]; }
    bool operator==(const AmbientLevels &) const = default;
};

// The user's preferences. Fields added after the first release are optional: a
// document without them still reads, and an absent value reads as its default
// through the effective*() accessors. A fresh value holds every default explicitly.
struct AppSettings {
    std::int64_t selectedDurationMinutes = 50;
    std::int64_t reminderMinimumMinutes = 3;
    std::int64_t reminderMaximumMinutes = 5;
    std::int64_t microBreakSeconds = 10;
    QString reminderSound = QStringLiteral("Glass");
    QString completionSound = QStringLiteral("Hero");
    bool showNextReminder = false;
    bool autoPlayMusic = false;
    std::optional<MusicService> musicService = MusicService::appleMusic;
    MusicSource musicSource = MusicSource::library;
    QString playlistName;
    std::optional<AppearanceMode> appearanceMode = AppearanceMode::dark;
    std::optional<bool> floatingTimerOnMinimize = true;
    std::optional<bool> floatingSignalButtons = false;
    std::optional<QStringList> taskNames = QStringList();
    std::optional<QString> selectedTaskName;
    std::optional<QStringList> ambientSounds = QStringList();
    std::optional<QMap<QString, double>> ambientVolumes = QMap<QString, double>();
    std::optional<double> ambientMasterVolume = kDefaultAmbientVolume;
    std::optional<bool> ambientFollowsFocus = true;
    // Absent also in a fresh value: a round keeps counting through a locked screen or a
    // sleeping machine unless the user asks otherwise.
    std::optional<bool> pauseOnLock;

    static constexpr double kDefaultAmbientVolume = 0.7;

    bool operator==(const AppSettings &) const = default;

    // What an absent optional means. Every reader goes through these.
    MusicService effectiveMusicService() const { return musicService.value_or(MusicService::appleMusic); }
    AppearanceMode effectiveAppearanceMode() const { return appearanceMode.value_or(AppearanceMode::dark); }
    bool effectiveFloatingTimerOnMinimize() const { return floatingTimerOnMinimize.value_or(true); }
    bool effectiveFloatingSignalButtons() const { return floatingSignalButtons.value_or(false); }
    bool effectiveAmbientFollowsFocus() const { return ambientFollowsFocus.value_or(true); }
    bool effectivePauseOnLock() const { return pauseOnLock.value_or(false); }
    double effectiveAmbientMasterVolume() const { return ambientMasterVolume.value_or(kDefaultAmbientVolume); }

    // The stored selection as sounds, in stored order; unknown strings are skipped,
    // duplicates kept.
    QList<AmbientSound> selectedAmbientSounds() const;
    // The slider position of a sound; 0.7 when none is stored.
    double ambientVolume(AmbientSound sound) const;
    AmbientLevels ambientLevels() const;
};

// Keeps a settings value within bounds: cleans and de-duplicates the task list,
// validates the selected task, clamps the numbers. Pure, never fails, idempotent.
AppSettings normalizedSettings(const AppSettings &settings);

} // namespace tessary
