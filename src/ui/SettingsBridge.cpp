#include "SettingsBridge.h"

#include "ArchiveText.h"

namespace tessary::ui {

QVariantList SettingsBridge::backups() const
{
    QVariantList rows;
    for (const backups::Backup &b : backups::list(m_store->backupDirectory(), m_store->dataFilePath())) {
        rows.append(QVariantMap{{QStringLiteral("path"), b.path},
                                {QStringLiteral("title"), backupTitleText(b.localSeconds)},
                                {QStringLiteral("detail"), backupDetailText(int(b.kind), b.rounds)}});
    }
    return rows;
}

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
void SettingsBridge::setPauseOnLock(bool v) { edit([&](AppSettings &c) { c.pauseOnLock = v; }); }
void SettingsBridge::setAmbientFollowsFocus(bool v) { edit([&](AppSettings &c) { c.ambientFollowsFocus = v; }); }
void SettingsBridge::setAmbientMasterVolume(double v) { edit([&](AppSettings &c) { c.ambientMasterVolume = v; }); }

void SettingsBridge::setMicroBreakSeconds(int v) { edit([&](AppSettings &c) { c.microBreakSeconds = v; }); }
void SettingsBridge::setReminderSound(const QString &v) { edit([&](AppSettings &c) { c.reminderSound = v; }); }
void SettingsBridge::setCompletionSound(const QString &v) { edit([&](AppSettings &c) { c.completionSound = v; }); }
void SettingsBridge::setMusicServiceIsNetEase(bool v)
{
    edit([&](AppSettings &c) { c.musicService = v ? MusicService::netEase : MusicService::appleMusic; });
}
void SettingsBridge::setMusicSourceIsPlaylist(bool v)
{
    edit([&](AppSettings &c) { c.musicSource = v ? MusicSource::playlist : MusicSource::library; });
}
void SettingsBridge::setPlaylistName(const QString &v) { edit([&](AppSettings &c) { c.playlistName = v; }); }

QStringList SettingsBridge::reminderSoundOptions()
{
    return {::tessary::reminderSoundOptions.begin(), ::tessary::reminderSoundOptions.end()};
}
QStringList SettingsBridge::completionSoundOptions()
{
    return {::tessary::completionSoundOptions.begin(), ::tessary::completionSoundOptions.end()};
}

bool SettingsBridge::canTestMusic(const AppSettings &c)
{
    return c.effectiveMusicService() == MusicService::netEase || c.musicSource != MusicSource::playlist
           || !c.playlistName.trimmed().isEmpty();
}

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
