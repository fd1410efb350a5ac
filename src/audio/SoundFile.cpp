#include "audio/SoundFile.h"

#include <QDir>
#include <QFileInfo>

#include <sndfile.h>

namespace tessary::audio {

SoundFile::~SoundFile() { close(); }

bool SoundFile::open(const QString &path)
{
    close();
    SF_INFO info{};
    m_file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!m_file)
        return false;
    if (info.frames < 1 || info.channels < 1 || info.samplerate < 1) {
        close();
        return false;
    }
    m_frames = info.frames;
    m_sampleRate = info.samplerate;
    m_channels = info.channels;
    return true;
}

void SoundFile::close()
{
    if (m_file)
        sf_close(m_file);
    m_file = nullptr;
}

bool SoundFile::seek(std::int64_t frame) { return m_file && sf_seek(m_file, frame, SEEK_SET) == frame; }

std::int64_t SoundFile::read(float *interleaved, std::int64_t frames)
{
    if (!m_file || frames <= 0)
        return 0;
    return sf_readf_float(m_file, interleaved, frames);
}

namespace {

QString findIn(const QString &directory, const QString &name)
{
    if (directory.isEmpty())
        return {};
    const QDir dir(directory);
    const QString preferred = dir.filePath(name + QStringLiteral(".flac"));
    if (QFileInfo(preferred).isFile())
        return preferred;
    const QStringList matches = dir.entryList({name + QStringLiteral(".*")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &file : matches)
        if (QFileInfo(file).completeBaseName() == name)
            return dir.filePath(file);
    return {};
}

} // namespace

QString findRecording(const QString &name, const QString &userDirectory, const QString &ourDirectory)
{
    const QString user = findIn(userDirectory, name);
    return user.isEmpty() ? findIn(ourDirectory, name) : user;
}

} // namespace tessary::audio
