#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>

namespace tessary::fakes {

// Collects what the application logs while alive.
struct LogCapture {
    static inline QStringList lines;
    QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &msg) { lines.append(msg); });
    LogCapture() { lines.clear(); }
    ~LogCapture() { qInstallMessageHandler(previous); }
    static bool mentions(const QString &text)
    {
        return std::any_of(lines.cbegin(), lines.cend(), [&](const QString &l) { return l.contains(text); });
    }
};

} // namespace tessary::fakes
