// The ambient mix: selection, volumes and playback. Levels reach the mixer through
// the settings wiring in AppStore.cpp, never from here.

#include "AppStore.h"

namespace tessary {

bool AppStore::isAmbientSelected(AmbientSound sound) const { return m_settings.selectedAmbientSounds().contains(sound); }

void AppStore::toggleAmbientSound(AmbientSound sound)
{
    QList<AmbientSound> list = m_settings.selectedAmbientSounds();
    AppSettings s = m_settings;
    auto rawValues = [](const QList<AmbientSound> &sounds) {
        QStringList raw;
        for (AmbientSound x : sounds)
            raw.append(enumLabel(x));
        return raw;
    };
    if (const auto at = list.indexOf(sound); at >= 0) {
        list.removeAt(at);
        s.ambientSounds = rawValues(list);
        setSettings(s);
        if (list.isEmpty())
            stopAmbientIfPlaying();
        return;
    }
    list.append(sound);
    s.ambientSounds = rawValues(list);
    setSettings(s);
    playAmbient();
}

void AppStore::setAmbientVolume(double value, AmbientSound sound)
{
    AppSettings s = m_settings;
    auto volumes = s.ambientVolumes.value_or(QMap<QString, double>());
    volumes.insert(enumLabel(sound), value);
    s.ambientVolumes = volumes;
    setSettings(s);
}

void AppStore::toggleAmbientPlayback()
{
    if (m_isAmbientPlaying) {
        m_services.ambient->stop();
        setAmbientPlaying(false);
        return;
    }
    if (m_settings.selectedAmbientSounds().isEmpty()) {
        AppSettings s = m_settings;
        s.ambientSounds = QStringList{enumLabel(AmbientSound::rain)};
        setSettings(s);
    }
    playAmbient();
}

bool AppStore::isAmbientSelected(const QString &sound) const
{
    const auto s = enumFromString<AmbientSound>(sound);
    return s && isAmbientSelected(*s);
}

void AppStore::toggleAmbientSound(const QString &sound)
{
    if (const auto s = enumFromString<AmbientSound>(sound))
        toggleAmbientSound(*s);
}

void AppStore::setAmbientVolume(double value, const QString &sound)
{
    if (const auto s = enumFromString<AmbientSound>(sound))
        setAmbientVolume(value, *s);
}

void AppStore::playAmbient()
{
    if (m_settings.selectedAmbientSounds().isEmpty())
        return;
    const bool playing = m_services.ambient->play();
    setAmbientPlaying(playing);
    if (!playing)
        toast(QStringLiteral("环境音无法播放，请检查声音输出设备。"));
}

} // namespace tessary
