#pragma once

#include "engine/AppStore.h"

#include <QObject>
#include <QStringList>
#include <QVariantList>

namespace tessary::ui {

// The settings as QML properties. Reads give the effective values (absent optionals
// as their defaults); writes go through the store, which normalises and saves them.
class SettingsBridge : public QObject {
    Q_OBJECT
    Q_PROPERTY(int selectedDurationMinutes READ selectedDurationMinutes WRITE setSelectedDurationMinutes NOTIFY changed)
    Q_PROPERTY(int reminderMinimumMinutes READ reminderMinimumMinutes WRITE setReminderMinimumMinutes NOTIFY changed)
    Q_PROPERTY(int reminderMaximumMinutes READ reminderMaximumMinutes WRITE setReminderMaximumMinutes NOTIFY changed)
    Q_PROPERTY(bool showNextReminder READ showNextReminder WRITE setShowNextReminder NOTIFY changed)
    Q_PROPERTY(bool autoPlayMusic READ autoPlayMusic WRITE setAutoPlayMusic NOTIFY changed)
    Q_PROPERTY(int microBreakSeconds READ microBreakSeconds WRITE setMicroBreakSeconds NOTIFY changed)
    Q_PROPERTY(QString reminderSound READ reminderSound WRITE setReminderSound NOTIFY changed)
    Q_PROPERTY(QString completionSound READ completionSound WRITE setCompletionSound NOTIFY changed)
    Q_PROPERTY(QStringList reminderSoundOptions READ reminderSoundOptions CONSTANT)
    Q_PROPERTY(QStringList completionSoundOptions READ completionSoundOptions CONSTANT)
    Q_PROPERTY(bool musicServiceIsNetEase READ musicServiceIsNetEase WRITE setMusicServiceIsNetEase NOTIFY changed)
    Q_PROPERTY(bool musicSourceIsPlaylist READ musicSourceIsPlaylist WRITE setMusicSourceIsPlaylist NOTIFY changed)
    Q_PROPERTY(QString playlistName READ playlistName WRITE setPlaylistName NOTIFY changed)
    Q_PROPERTY(bool canTestMusic READ canTestMusic NOTIFY changed)
    Q_PROPERTY(QStringList taskNames READ taskNames NOTIFY changed)
    Q_PROPERTY(bool darkAppearance READ darkAppearance NOTIFY changed)
    Q_PROPERTY(bool floatingTimerOnMinimize READ floatingTimerOnMinimize WRITE setFloatingTimerOnMinimize NOTIFY changed)
    Q_PROPERTY(bool floatingSignalButtons READ floatingSignalButtons WRITE setFloatingSignalButtons NOTIFY changed)
    Q_PROPERTY(bool pauseOnLock READ pauseOnLock WRITE setPauseOnLock NOTIFY changed)
    Q_PROPERTY(bool ambientFollowsFocus READ ambientFollowsFocus WRITE setAmbientFollowsFocus NOTIFY changed)
    Q_PROPERTY(double ambientMasterVolume READ ambientMasterVolume WRITE setAmbientMasterVolume NOTIFY changed)
    Q_PROPERTY(QStringList selectedAmbientSounds READ selectedAmbientSounds NOTIFY changed)
    // Changes with every settings change, so bindings that call functions re-run.
    Q_PROPERTY(int revision READ revision NOTIFY changed)

public:
    explicit SettingsBridge(AppStore *store, QObject *parent = nullptr);

    // The document's backups, newest first, for the restore list: {path, title, detail}.
    Q_INVOKABLE QVariantList backups() const;

    int selectedDurationMinutes() const { return int(s().selectedDurationMinutes); }
    void setSelectedDurationMinutes(int v);
    int reminderMinimumMinutes() const { return int(s().reminderMinimumMinutes); }
    void setReminderMinimumMinutes(int v);
    int reminderMaximumMinutes() const { return int(s().reminderMaximumMinutes); }
    void setReminderMaximumMinutes(int v);
    bool showNextReminder() const { return s().showNextReminder; }
    void setShowNextReminder(bool v);
    bool autoPlayMusic() const { return s().autoPlayMusic; }
    void setAutoPlayMusic(bool v);
    int microBreakSeconds() const { return int(s().microBreakSeconds); }
    void setMicroBreakSeconds(int v);
    QString reminderSound() const { return s().reminderSound; }
    void setReminderSound(const QString &v);
    QString completionSound() const { return s().completionSound; }
    void setCompletionSound(const QString &v);
    static QStringList reminderSoundOptions();
    static QStringList completionSoundOptions();
    bool musicServiceIsNetEase() const { return s().effectiveMusicService() == MusicService::netEase; }
    void setMusicServiceIsNetEase(bool v);
    bool musicSourceIsPlaylist() const { return s().musicSource == MusicSource::playlist; }
    void setMusicSourceIsPlaylist(bool v);
    QString playlistName() const { return s().playlistName; }
    void setPlaylistName(const QString &v);
    bool canTestMusic() const { return canTestMusic(s()); }
    // The music test needs something to play: not a playlist without a name.
    static bool canTestMusic(const AppSettings &settings);
    QStringList taskNames() const { return s().taskNames.value_or(QStringList()); }
    bool darkAppearance() const { return s().effectiveAppearanceMode() == AppearanceMode::dark; }
    bool floatingTimerOnMinimize() const { return s().effectiveFloatingTimerOnMinimize(); }
    void setFloatingTimerOnMinimize(bool v);
    bool floatingSignalButtons() const { return s().effectiveFloatingSignalButtons(); }
    void setFloatingSignalButtons(bool v);
    bool pauseOnLock() const { return s().effectivePauseOnLock(); }
    void setPauseOnLock(bool v);
    bool ambientFollowsFocus() const { return s().effectiveAmbientFollowsFocus(); }
    void setAmbientFollowsFocus(bool v);
    double ambientMasterVolume() const { return s().effectiveAmbientMasterVolume(); }
    void setAmbientMasterVolume(double v);
    QStringList selectedAmbientSounds() const;
    Q_INVOKABLE double ambientVolume(const QString &sound) const;
    int revision() const { return m_revision; }

signals:
    void changed();

private:
    const AppSettings &s() const { return m_store->settings(); }
    template <typename F>
    void edit(F f)
    {
        AppSettings copy = m_store->settings();
        f(copy);
        m_store->setSettings(copy);
    }
    AppStore *m_store;
    int m_revision = 0;
};

} // namespace tessary::ui
