#include "FileBytes.h"
#include "desktop/Autostart.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <unistd.h>

using tessary::desktop::Autostart;
using tessary::fakes::readFile;
using tessary::fakes::writeFile;

namespace {

struct Toasts {
    QStringList shown;
    Autostart::Toast sink()
    {
        return [this](const QString &text) { shown.append(text); };
    }
};

} // namespace

TEST(Autostart, ExecLineQuotesWhatTheDesktopEntryRulesReserve)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/usr/bin/tessary", "/usr/bin/tessary"},
        {"/opt/My Apps/tessary", "\"/opt/My Apps/tessary\""},
        // Inside quotes $ and " are escaped once for Exec, then the backslash again for the file.
        {"/tmp/a$b\"c", "\"/tmp/a\\\\$b\\\\\"c\""},
        {"/tmp/100%/tessary", "/tmp/100%%/tessary"}, // a percent sign would otherwise read as a field code
        {"/home/用户/汀禾/tessary", "/home/用户/汀禾/tessary"},
    };
    for (const auto &[path, exec] : cases)
        EXPECT_EQ(Autostart::quoteExecArgument(QString::fromUtf8(path)), QString::fromUtf8(exec)) << path;
}

TEST(Autostart, ProgramIsThePlainNameOnlyWhenThePathFindsThisVeryBinary)
{
    QTemporaryDir dir;
    const QString binary = dir.filePath(QStringLiteral("tessary"));
    writeFile(binary, "#!/bin/sh\n");
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(binary, link));
    EXPECT_EQ(Autostart::programFor(binary, binary), QStringLiteral("tessary"));
    EXPECT_EQ(Autostart::programFor(binary, link), QStringLiteral("tessary"));
    EXPECT_EQ(Autostart::programFor(binary, QString()), binary);
    EXPECT_EQ(Autostart::programFor(binary, QStringLiteral("/usr/bin/tessary")), binary);
}

TEST(Autostart, SwitchingOnWritesAValidEntryThatStartsInTheTrayAndOffRemovesIt)
{
    QTemporaryDir dir;
    const QString autostartDir = dir.filePath(QStringLiteral("config/autostart"));
    Toasts toasts;
    Autostart autostart(autostartDir, QStringLiteral("/opt/汀 禾/tessary"), toasts.sink());
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_EQ(autostart.filePath(), autostartDir + QStringLiteral("/io.github.tessary.Tessary.desktop"));

    QSignalSpy changes(&autostart, &Autostart::enabledChanged);
    ASSERT_TRUE(autostart.setEnabled(true)); // the directory is made on the way
    EXPECT_TRUE(autostart.isEnabled());
    EXPECT_GE(changes.count(), 1);
    const QByteArray text = readFile(autostart.filePath());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    for (const char *line : {"\nExec=\"/opt/汀 禾/tessary\" --background\n", "\nName=汀禾\n",
                             "\nIcon=io.github.tessary.Tessary\n",
                             "\nType=Application\n"})
        EXPECT_TRUE(text.contains(line)) << text.constData();

    const QString validator = QStringLiteral(DESKTOP_FILE_VALIDATE);
    if (!validator.isEmpty()) {
        QProcess check;
        check.start(validator, {autostart.filePath()});
        ASSERT_TRUE(check.waitForFinished(10000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().constData();
    }

    ASSERT_TRUE(autostart.setEnabled(true)); // again: rewritten, still on
    ASSERT_TRUE(autostart.setEnabled(false));
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_FALSE(QFile::exists(autostart.filePath()));
    EXPECT_TRUE(autostart.setEnabled(false)); // nothing to remove is not a failure
    EXPECT_TRUE(toasts.shown.isEmpty());
}

TEST(Autostart, StateIsTheFileOnDiskIncludingChangesMadeElsewhere)
{
    QTemporaryDir dir;
    Autostart first(dir.path(), QStringLiteral("tessary"), {});
    ASSERT_TRUE(first.setEnabled(true));
    // Another instance of the switch (the next start) reads what is there.
    Autostart second(dir.path(), QStringLiteral("tessary"), {});
    EXPECT_TRUE(second.isEnabled());

    // A session manager that switches it off keeps the file but marks it; only the main group counts.
    QSignalSpy changes(&second, &Autostart::enabledChanged);
    const std::pair<const char *, bool> entries[] = {
        {"[Desktop Entry]\nType=Application\nExec=tessary --background\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Entry]\nType=Application\nName=汀禾\nExec=tessary\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=tessary\n[Desktop Action x]\nHidden=true\n", true},
    };
    for (const auto &[entry, enabled] : entries) {
        writeFile(second.filePath(), entry);
        second.refresh();
        EXPECT_EQ(second.isEnabled(), enabled) << entry;
    }
    EXPECT_EQ(changes.count(), 2); // off, then on again: a refresh that changes nothing emits nothing

    ASSERT_TRUE(QFile::remove(second.filePath()));
    second.refresh();
    EXPECT_FALSE(second.isEnabled());
    // Switching on over a disabled entry replaces it with ours.
    writeFile(second.filePath(), "[Desktop Entry]\nHidden=true\n");
    ASSERT_TRUE(second.setEnabled(true));
    EXPECT_TRUE(second.isEnabled());
    EXPECT_TRUE(readFile(second.filePath()).contains("Exec=tessary --background"));
}

TEST(Autostart, AnEntryOfAnEarlierVersionIsReplacedOnOrOffAsItWas)
{
    struct Case {
        const char *legacy;
        const char *ours; // already there, or null
        bool enabled;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=tessary --background\n", nullptr, true},
        {"[Desktop Entry]\nExec=tessary --background\nX-GNOME-Autostart-enabled=false\n", nullptr, false},
        // Ours, switched off since, wins over an old one left behind.
        {"[Desktop Entry]\nExec=tessary --background\n", "[Desktop Entry]\nExec=tessary\nHidden=true\n", false},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString legacy = dir.filePath(QStringLiteral("tessary.desktop"));
        writeFile(legacy, c.legacy);
        if (c.ours)
            writeFile(dir.filePath(QStringLiteral("io.github.tessary.Tessary.desktop")), c.ours);
        Autostart autostart(dir.path(), QStringLiteral("/opt/tessary"), {});
        EXPECT_EQ(autostart.isEnabled(), c.enabled) << c.legacy;
        EXPECT_FALSE(QFile::exists(legacy)) << c.legacy;
        EXPECT_EQ(QFile::exists(autostart.filePath()), c.enabled || c.ours) << c.legacy;
        if (c.enabled) {
            EXPECT_TRUE(readFile(autostart.filePath()).contains("\nExec=/opt/tessary --background\n"));
        }
    }
}

TEST(Autostart, AnAutostartDirectoryThatCannotBeMadeGivesAToastNotASilentFailure)
{
    QTemporaryDir dir;
    // A file where the directory should be: refused even for root.
    const QString blocked = dir.filePath(QStringLiteral("autostart"));
    writeFile(blocked, "not a directory");
    Toasts toasts;
    Autostart autostart(blocked, QStringLiteral("tessary"), toasts.sink());
    QSignalSpy changes(&autostart, &Autostart::enabledChanged);
    EXPECT_FALSE(autostart.setEnabled(true));
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_EQ(changes.count(), 1); // the switch is told to show "off" again
    ASSERT_EQ(toasts.shown.size(), 1);
    EXPECT_TRUE(toasts.shown[0].startsWith(QStringLiteral("无法开启登录后自动启动："))) << toasts.shown[0].toStdString();
    EXPECT_TRUE(toasts.shown[0].contains(blocked));
}

TEST(Autostart, AReadOnlyAutostartDirectoryGivesAToastBothWays)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root; the test above covers a directory that cannot be made";
    QTemporaryDir dir;
    Toasts toasts;
    const QString readOnly = dir.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    const auto readOnlyPerms = QFile::ReadOwner | QFile::ExeOwner;
    const auto writablePerms = readOnlyPerms | QFile::WriteOwner;
    Autostart locked(readOnly, QStringLiteral("tessary"), toasts.sink());
    ASSERT_TRUE(locked.setEnabled(true));
    ASSERT_TRUE(QFile::setPermissions(readOnly, readOnlyPerms));
    EXPECT_FALSE(locked.setEnabled(false)); // cannot remove
    EXPECT_TRUE(locked.isEnabled());
    ASSERT_EQ(toasts.shown.size(), 1);
    EXPECT_TRUE(toasts.shown[0].startsWith(QStringLiteral("无法关闭登录后自动启动：")));

    ASSERT_TRUE(QFile::setPermissions(readOnly, writablePerms));
    ASSERT_TRUE(locked.setEnabled(false));
    ASSERT_TRUE(QFile::setPermissions(readOnly, readOnlyPerms));
    EXPECT_FALSE(locked.setEnabled(true)); // cannot write
    EXPECT_FALSE(locked.isEnabled());
    EXPECT_EQ(toasts.shown.size(), 2);
    QFile::setPermissions(readOnly, writablePerms); // so the temporary directory can go
}
