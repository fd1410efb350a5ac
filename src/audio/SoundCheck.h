#pragma once

#include <QList>
#include <QString>

namespace tessary::audio {

// One shipped sound as this installation would play it.
struct SoundCheck {
    QString name;       // "rain", "Glass", …
    QString path;       // the file that plays; empty when none is found
    bool readable = false; // opened and its first frames decoded
    int sampleRate = 0;
    int channels = 0;
    double seconds = 0;
};

// Every recorded ambient loop (looked up as the ambient player does, the user's own
// recordings first) and every alert sound, each opened and its first frames decoded.
QList<SoundCheck> checkSounds(const QString &soundsDirectory, const QString &userAmbientDirectory);

// The report `tessary --check-sounds` prints, one line per sound.
QString soundCheckReport(const QString &soundsDirectory, const QList<SoundCheck> &checks);

} // namespace tessary::audio
