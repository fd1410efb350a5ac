#include "SettingsBridge.h"

namespace tessary::ui {

SettingsBridge::SettingsBridge(AppStore *store, QObject *parent) : QObject(parent), m_store(store)
{
    connect(store, &AppStore::settingsChanged, this, [this] {
        ++m_revision;
        emit changed();
    });
}

void SettingsBridge::setSelectedDurationMinutes(int v) { edit([&](AppSettings &c) { c.selectedDurationMinutes = v; }); }
void SettingsBridge::setReminderMinimumMinutes(int v) { edit([&](AppSettings &c) { c.reminderMinimumMinutes = v; }); }
void SettingsBridge::setReminderMaximumMinutes(int v) { edit([&](AppSettings &c) { c.reminderMaximumMinutes = v; }); }
void SettingsBridge::setShowNextReminder(bool v) { edit([&](AppSettings &c) { c.showNextReminder = v; }); }
void SettingsBridge::setAutoPlayMusic(bool v) { edit([&](AppSettings &c) { c.autoPlayMusic = v; }); }
void SettingsBridge::setFloatingTimerOnMinimize(bool v) { edit([&](AppSettings &c) { c.floatingTimerOnMinimize = v; }); }
void SettingsBridge::setFloatingSignalButtons(bool v) { edit([&](AppSettings &c) { c.floatingSignalButtons = v; }); }
void SettingsBridge::setAmbientFollowsFocus(bool v) { edit([&](AppSettings &c) { c.ambientFollowsFocus = v; }); }
void SettingsBridge::setAmbientMasterVolume(double v) { edit([&](AppSettings &c) { c.ambientMasterVolume = v; }); }

QStringList SettingsBridge::selectedAmbientSounds() const
{
    QStringList ids;
    for (AmbientSound sound : s().selectedAmbientSounds())
        ids.append(enumLabel(sound));
    return ids;
}

double SettingsBridge::ambientVolume(const QString &sound) const
{
    const auto value = enumFromString<AmbientSound>(sound);
    return value ? s().ambientVolume(*value) : AppSettings::kDefaultAmbientVolume;
}

} // namespace tessary::ui
