#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {

namespace {

// The system's words in English whatever the locale: the log is read by people who search for them.
QString describe(int error) { return QString::fromLatin1(::strerrordesc_np(error)); }

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

} // namespace

WriteProblem writeProblemFor(int error)
{
    switch (error) {
    case 0:
        return WriteProblem::none;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return WriteProblem::noSpace;
    case EACCES:
    case EPERM:
    case EROFS:
        return WriteProblem::noPermission;
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case EEXIST:
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case ENOTCONN:
    case EIO:
    case ENAMETOOLONG:
        return WriteProblem::folderUnavailable;
    default:
        return WriteProblem::other;
    }
}

WriteResult makeDirectories(const QString &directory, mode_t mode)
{
    const QString absolute = QDir::cleanPath(QFileInfo(directory).absoluteFilePath());
    QString built;
    for (const QString &part : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        built += QLatin1Char('/') + part;
        const QByteArray path = encoded(built);
        struct stat st {};
        if (::stat(path.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            return {WriteProblem::folderUnavailable, built + QStringLiteral(": ") + describe(ENOTDIR)};
        }
        if (::mkdir(path.constData(), mode) != 0 && errno != EEXIST) {
            const int error = errno;
            return {writeProblemFor(error), built + QStringLiteral(": ") + describe(error)};
        }
    }
    return {};
}

AtomicFile::AtomicFile(QString filePath, mode_t newFileMode, bool makeFolders)
    : m_path(std::move(filePath)), m_newFileMode(newFileMode), m_makeFolders(makeFolders)
{
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.isEmpty())
        ::unlink(m_tempPath.constData());
    m_tempPath.clear();
}

bool AtomicFile::failWithErrno(int error)
{
    if (m_result.ok())
        m_result = {writeProblemFor(error) == WriteProblem::none ? WriteProblem::other : writeProblemFor(error),
                    describe(error)};
    discard();
    return false;
}

void AtomicFile::fail(const QString &detail)
{
    if (m_result.ok())
        m_result = {WriteProblem::other, detail};
    discard();
}

bool AtomicFile::open()
{
    const QFileInfo info(m_path);
    if (m_makeFolders) {
        if (const WriteResult made = makeDirectories(info.absolutePath()); !made) {
            m_result = made;
            return false;
        }
    }
    if (info.isDir())
        return failWithErrno(EISDIR);
    // Same name pattern as QSaveFile, so the clean-up of interrupted saves finds ours too.
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 16; ++attempt) {
        QByteArray suffix(6, 'x');
        for (char &c : suffix)
            c = kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet - 1))];
        m_tempPath = encoded(m_path) + '.' + suffix;
        m_fd = ::open(m_tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, m_newFileMode);
        if (m_fd >= 0)
            break;
        if (errno != EEXIST) {
            m_tempPath.clear();
            return failWithErrno(errno);
        }
    }
    if (m_fd < 0) {
        m_tempPath.clear();
        return failWithErrno(EEXIST);
    }
    struct stat old {};
    if (::stat(encoded(m_path).constData(), &old) == 0)
        ::fchmod(m_fd, old.st_mode & 07777);
    return true;
}

bool AtomicFile::write(std::string_view bytes)
{
    if (m_fd < 0)
        return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failWithErrno(errno);
        }
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

bool AtomicFile::commit()
{
    if (m_fd < 0)
        return false;
    // A delayed-allocation file system may report a full disk only here.
    if (::fsync(m_fd) != 0)
        return failWithErrno(errno);
    if (::close(m_fd) != 0) {
        m_fd = -1;
        return failWithErrno(errno);
    }
    m_fd = -1;
    if (::rename(m_tempPath.constData(), encoded(m_path).constData()) != 0)
        return failWithErrno(errno);
    m_tempPath.clear();
    // The rename itself reaches the disk with the folder's entry.
    const QByteArray folder = encoded(QFileInfo(m_path).absolutePath());
    if (const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace tessary
