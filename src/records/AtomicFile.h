#pragma once

#include <QString>

#include <sys/types.h>

#include <string_view>

namespace tessary {

// Why a file could not be written, in the terms the user is told.
enum class WriteProblem {
    none,
    noSpace,           // the disk or the user's quota is full
    noPermission,      // the folder or the file may not be written (also a read-only disk)
    folderUnavailable, // the folder is missing, not a folder, or its disk is gone
    other,
};

struct WriteResult {
    WriteProblem problem = WriteProblem::none;
    QString detail; // the system's own words, e.g. "No space left on device"
    bool ok() const { return problem == WriteProblem::none; }
    explicit operator bool() const { return ok(); }
};

// The problem an errno value stands for.
WriteProblem writeProblemFor(int error);

// Writes a file whole or not at all: into a temporary "<name>.XXXXXX" beside it, flushed to the
// disk, then renamed over the old file (whose permissions it keeps). The first failure is kept
// with its errno, so the user can be told the real cause rather than a generic one. Destroying
// an uncommitted file removes the temporary file and leaves the old one.
class AtomicFile {
public:
    // `newFileMode` applies (less the umask) when no file exists yet; missing folders are
    // created with mode 0700 unless `makeFolders` is false.
    explicit AtomicFile(QString filePath, mode_t newFileMode = 0600, bool makeFolders = true);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    bool open();
    bool write(std::string_view bytes);
    // A failure of the producer rather than the disk.
    void fail(const QString &detail);
    bool commit();

    const WriteResult &result() const { return m_result; }
    const QString &path() const { return m_path; }

private:
    bool failWithErrno(int error);
    void discard();

    QString m_path;
    mode_t m_newFileMode;
    bool m_makeFolders;
    QByteArray m_tempPath;
    int m_fd = -1;
    WriteResult m_result;
};

// Creates `directory` and its missing parents (new ones with `mode`).
WriteResult makeDirectories(const QString &directory, mode_t mode = 0700);

} // namespace tessary
