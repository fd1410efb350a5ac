#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace tessary::durability {

// A tmpfs of a few hundred KiB mounted at `path` for the test's life, where the machine lets the
// test mount one (as root with the capability, as on CI).
struct SmallDisk {
    QString path;
    QString whyNot; // empty when mounted
    explicit SmallDisk(QString at, int kib = 256, const char *extraOptions = "") : path(std::move(at))
    {
        QDir().mkpath(path);
        const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755" + extraOptions;
        if (::geteuid() != 0)
            whyNot = QStringLiteral("mounting a small tmpfs needs root");
        else if (::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                         options.constData()) != 0)
            whyNot = QStringLiteral("mount failed: ") + QString::fromLatin1(std::strerror(errno));
    }
    ~SmallDisk()
    {
        if (whyNot.isEmpty())
            ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
    }
    bool mounted() const { return whyNot.isEmpty(); }

    // Writes a filler until the disk refuses another byte.
    void fill() const
    {
        QFile filler(path + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        const QByteArray byte(1, 'x');
        while (filler.write(byte) == 1) {
        }
    }
    void free() const { QFile::remove(path + QStringLiteral("/filler")); }
};

} // namespace tessary::durability
