#include "desktop/CommandLine.h"
#include "desktop/InstallLayout.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using tessary::desktop::CommandLine;

namespace {
// What an argument list parses to, in one line: the action, then "background", "json" and the
// command for the running instance where they are set; "invalid" and the argument at fault.
std::string parsed(const std::vector<const char *> &args)
{
    QStringList list;
    for (const char *a : args)
        list.append(QString::fromUtf8(a));
    const CommandLine c = tessary::desktop::parseCommandLine(list);
    if (c.action == CommandLine::Action::invalid)
        return "invalid " + c.invalidArgument.toStdString();
    static const char *const actions[] = {"run", "help", "version", "checkSounds", "remote"};
    QString out = QString::fromLatin1(actions[int(c.action)]);
    if (c.background)
        out += QStringLiteral(" background");
    if (c.json)
        out += QStringLiteral(" json");
    if (c.action == CommandLine::Action::remote)
        out += QLatin1Char(' ') + QString::fromUtf8(c.remoteCommand);
    if (c.remoteCommand == "sync-folder")
        out += QStringLiteral(" [") + c.syncFolder + QLatin1Char(']');
    return out.toStdString();
}
} // namespace

TEST(CommandLine, OurOptionsAndQtsOwnArePassedUnknownOnesAreInvalid)
{
    const std::pair<std::vector<const char *>, const char *> cases[] = {
        {{}, "run"}, {{"--background"}, "run background"}, {{"--help"}, "help"}, {{"-h"}, "help"},
        {{"--version"}, "version"}, {{"--check-sounds"}, "checkSounds"},
        // The first action wins; --help after --version still prints the version.
        {{"--version", "--help"}, "version"},
        // QApplication reads these itself; a desktop or a user may pass them.
        {{"-platform", "offscreen", "--background", "-name", "x", "-reverse", "--style=Fusion",
          "-qmljsdebugger=port:1234"}, "run background"},
        {{"--bogus"}, "invalid --bogus"}, {{"-x"}, "invalid -x"}, {{"file.txt"}, "invalid file.txt"},
        {{"--background", "--"}, "invalid --"}, {{"--backgrounds"}, "invalid --backgrounds"},
        {{"--help=1"}, "invalid --help=1"},
        // Invalid even after an action, so a typo is never silently ignored.
        {{"--help", "--nope"}, "invalid --nope"},
    };
    for (const auto &[args, expected] : cases)
        EXPECT_EQ(parsed(args), expected);
    EXPECT_TRUE(tessary::desktop::usageText().contains(QStringLiteral("--background")));
}

TEST(CommandLine, RoundControlsGoToTheRunningInstanceOneAtATime)
{
    for (const char *c : {"start", "toggle-pause", "mind-wander", "fatigue", "end", "show", "status"})
        EXPECT_EQ(parsed({(QByteArray("--") + c).constData()}), std::string("remote ") + c);
    EXPECT_EQ(parsed({"--status", "--json"}), "remote json status");
    EXPECT_EQ(parsed({"--json", "--status"}), "remote json status");
    // --json means nothing elsewhere, and two commands in one call would be a guess.
    EXPECT_EQ(parsed({"--end", "--json"}), "invalid --json");
    EXPECT_EQ(parsed({"--json"}), "invalid --json");
    EXPECT_EQ(parsed({"--toggle-pause", "--end"}), "invalid --end");
    EXPECT_EQ(parsed({"-toggle-pause"}), "invalid -toggle-pause");
    // The sync folder takes a value (a separate argument or after "="); an empty one is "off".
    EXPECT_EQ(parsed({"--sync-folder", "/home/u/同步 文件夹"}), "remote sync-folder [/home/u/同步 文件夹]");
    EXPECT_EQ(parsed({"--sync-folder=/a=b"}), "remote sync-folder [/a=b]");
    EXPECT_EQ(parsed({"--sync-folder", ""}), "remote sync-folder []");
    EXPECT_EQ(parsed({"--sync-folder"}), "invalid --sync-folder");
    EXPECT_EQ(parsed({"--start", "--sync-folder", "/x"}), "invalid --sync-folder");
}

TEST(InstallLayout, AnInstalledBinaryUsesItsShareDirectoryAndOnlyTheBuildsOwnBinaryTheBuildTree)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("prefix"));
    const QString buildBin = dir.filePath(QStringLiteral("build/src/app"));
    const QString buildSounds = dir.filePath(QStringLiteral("build/resources/sounds"));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin")));
    ASSERT_TRUE(QDir().mkpath(buildBin));
    ASSERT_TRUE(QDir().mkpath(buildSounds));
    const QString installed = prefix + QStringLiteral("/share/tessary/sounds");

    using tessary::desktop::soundsDirectory;
    // Not installed yet: an installed copy still never falls back to the build tree.
    EXPECT_EQ(soundsDirectory(prefix + QStringLiteral("/bin"), buildBin, buildSounds), installed);
    EXPECT_EQ(soundsDirectory(buildBin, buildBin, buildSounds), buildSounds);
    // Through a different spelling of the same directory.
    EXPECT_EQ(soundsDirectory(buildBin + QStringLiteral("/../app"), buildBin, buildSounds), buildSounds);

    ASSERT_TRUE(QDir().mkpath(installed));
    EXPECT_EQ(soundsDirectory(prefix + QStringLiteral("/bin"), buildBin, buildSounds), installed);
}

TEST(InstallLayout, SymbolicTrayIconsWhereThePanelDrawsThemInItsOwnColour)
{
    using tessary::desktop::prefersSymbolicTrayIcons;
    for (const char *d : {"GNOME", "ubuntu:GNOME", "KDE", "Budgie:GNOME", "Unity", "pantheon"})
        EXPECT_TRUE(prefersSymbolicTrayIcons(QString::fromLatin1(d))) << d;
    for (const char *d : {"", "XFCE", "LXQt", "X-Cinnamon", "MATE", "sway"})
        EXPECT_FALSE(prefersSymbolicTrayIcons(QString::fromLatin1(d))) << d;
}
