#include "Settings.h"

#include "TextRules.h"

#include <QSet>

#include <algorithm>

namespace tessary {

const std::array<QString, 8> reminderSoundOptions{
    QStringLiteral("随机"), QStringLiteral("Glass"),     QStringLiteral("Ping"), QStringLiteral("Pop"),
    QStringLiteral("Tink"), QStringLiteral("Submarine"), QStringLiteral("Purr"), QStringLiteral("Morse"),
};

const std::array<QString, 8> completionSoundOptions{
    QStringLiteral("Glass"),     QStringLiteral("Ping"), QStringLiteral("Pop"),   QStringLiteral("Tink"),
    QStringLiteral("Submarine"), QStringLiteral("Purr"), QStringLiteral("Morse"), QStringLiteral("Hero"),
};

QList<AmbientSound> AppSettings::selectedAmbientSounds() const
{
    QList<AmbientSound> result;
    if (!ambientSounds)
        return result;
    result.reserve(ambientSounds->size());
    for (const QString &name : *ambientSounds)
        if (auto sound = enumFromString<AmbientSound>(name))
            result.append(*sound);
    return result;
}

double AppSettings::ambientVolume(AmbientSound sound) const
{
    if (!ambientVolumes)
        return kDefaultAmbientVolume;
    const auto it = ambientVolumes->constFind(enumLabel(sound));
    return it == ambientVolumes->constEnd() ? kDefaultAmbientVolume : it.value();
}

AmbientLevels AppSettings::ambientLevels() const
{
    std::array<bool, kAmbientSoundCount> selected{};
    for (AmbientSound s : selectedAmbientSounds())
        selected[static_cast<size_t>(s)] = true;

    AmbientLevels levels;
    for (AmbientSound s : allCases<AmbientSound>()) {
        const double v = selected[static_cast<size_t>(s)] ? ambientVolume(s) : 0.0;
        levels.sounds[static_cast<size_t>(s)] = static_cast<float>(v * v);
    }
    const double m = effectiveAmbientMasterVolume();
    levels.master = static_cast<float>(m * m);
    return levels;
}

AppSettings normalizedSettings(const AppSettings &input)
{
    AppSettings s = input;

    QStringList tasks;
    QSet<QString> seenKeys;
    if (input.taskNames) {
        for (const QString &raw : *input.taskNames) {
            const QString name = text::cleanTaskName(raw);
            if (name.isEmpty())
                continue;
            const QString key = text::foldKey(name);
            if (seenKeys.contains(key))
                continue; // the earlier spelling wins
            seenKeys.insert(key);
            tasks.append(name);
        }
    }

    if (input.selectedTaskName) {
        const QString selected = text::cleanTaskName(*input.selectedTaskName);
        const bool listed = std::any_of(tasks.cbegin(), tasks.cend(),
                                        [&](const QString &t) { return text::canonicallyEqual(t, selected); });
        s.selectedTaskName = listed ? std::optional<QString>(selected) : std::nullopt;
    }
    s.taskNames = std::move(tasks);

    s.selectedDurationMinutes = std::clamp<std::int64_t>(input.selectedDurationMinutes, 1, 1440);
    s.reminderMinimumMinutes = std::clamp<std::int64_t>(input.reminderMinimumMinutes, 1, 60);
    s.reminderMaximumMinutes = std::max(std::min<std::int64_t>(input.reminderMaximumMinutes, 90), s.reminderMinimumMinutes);
    s.microBreakSeconds = std::clamp<std::int64_t>(input.microBreakSeconds, 5, 60);
    return s;
}

} // namespace tessary
