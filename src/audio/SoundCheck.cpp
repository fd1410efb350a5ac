#include "audio/SoundCheck.h"

#include "audio/AlertPlayer.h"
#include "audio/SoundFile.h"
#include "records/Settings.h"

#include <QDir>

#include <vector>

namespace tessary::audio {

namespace {
SoundCheck check(const QString &name, const QString &path)
{
    SoundCheck result{name, path};
    SoundFile file;
    if (path.isEmpty() || !file.open(path))
        return result;
    result.sampleRate = file.sampleRate();
    result.channels = file.channels();
    result.seconds = file.sampleRate() > 0 ? double(file.frames()) / file.sampleRate() : 0;
    // Opening reads only the header; a few frames prove the data decodes too.
    std::vector<float> frames(size_t(1024) * size_t(std::max(1, file.channels())));
    result.readable = file.frames() > 0 && file.read(frames.data(), 1024) > 0;
    return result;
}
} // namespace

QList<SoundCheck> checkSounds(const QString &soundsDirectory, const QString &userAmbientDirectory)
{
    QList<SoundCheck> checks;
    for (std::string_view ambient : EnumStrings<AmbientSound>::names) {
        if (ambient == enumString(AmbientSound::brownNoise))
            continue; // synthesised, no file
        const QString name = QString::fromLatin1(ambient.data(), qsizetype(ambient.size()));
        checks.append(check(name, findRecording(name, userAmbientDirectory, soundsDirectory + QStringLiteral("/Ambient"))));
    }
    for (const QString &alert : AlertPlayer::soundNames())
        checks.append(check(alert, findRecording(alert, {}, soundsDirectory)));
    return checks;
}

QString soundCheckReport(const QString &soundsDirectory, const QList<SoundCheck> &checks)
{
    QString text = QStringLiteral("声音目录：%1\n").arg(QDir::toNativeSeparators(soundsDirectory));
    for (const SoundCheck &c : checks) {
        if (c.readable)
            text += QStringLiteral("  正常  %1  %2 Hz · %3 声道 · %4 秒  %5\n")
                        .arg(c.name, -10)
                        .arg(c.sampleRate)
                        .arg(c.channels)
                        .arg(c.seconds, 0, 'f', 1)
                        .arg(QDir::toNativeSeparators(c.path));
        else if (c.path.isEmpty())
            text += QStringLiteral("  缺失  %1\n").arg(c.name);
        else
            text += QStringLiteral("  无法读取  %1  %2\n").arg(c.name, -10).arg(QDir::toNativeSeparators(c.path));
    }
    return text;
}

} // namespace tessary::audio
