#pragma once

#include <QFile>

#include <gtest/gtest.h>

namespace tessary::fakes {

// A file's bytes, or none where it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Plants `bytes` as the whole file; the test fails where it cannot be written.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

} // namespace tessary::fakes
