#include "desktop/CommandLine.h"
#include "desktop/InstallLayout.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using tessary::desktop::CommandLine;
using tessary::desktop::parseCommandLine;

namespace {
CommandLine parse(std::initializer_list<const char *> args)
{
    QStringList list;
    for (const char *a : args)
        list.append(QString::fromUtf8(a));
    return parseCommandLine(list);
}
} // namespace

TEST(CommandLine, OurOptionsAndQtsOwnArePassedUnknownOnesAreInvalid)
{
    EXPECT_EQ(parse({}).action, CommandLine::Action::run);
    EXPECT_FALSE(parse({}).background);
    EXPECT_TRUE(parse({"--background"}).background);
    EXPECT_EQ(parse({"--background"}).action, CommandLine::Action::run);
    EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"-h"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"--version"}).action, CommandLine::Action::version);
    EXPECT_EQ(parse({"--check-sounds"}).action, CommandLine::Action::checkSounds);
    // The first action wins; --help after --version still prints the version.
    EXPECT_EQ(parse({"--version", "--help"}).action, CommandLine::Action::version);

    // QApplication reads these itself; a desktop or a user may pass them.
    const CommandLine qt = parse({"-platform", "offscreen", "--background", "-name", "x", "-reverse",
                                  "--style=Fusion", "-qmljsdebugger=port:1234"});
    EXPECT_EQ(qt.action, CommandLine::Action::run);
    EXPECT_TRUE(qt.background);

    for (auto args : {std::initializer_list<const char *>{"--bogus"}, {"-x"}, {"file.txt"}, {"--background", "--"},
                      {"--backgrounds"}, {"--help=1"}}) {
        const CommandLine bad = parse(args);
        EXPECT_EQ(bad.action, CommandLine::Action::invalid) << *std::prev(args.end());
        EXPECT_EQ(bad.invalidArgument, QString::fromUtf8(*std::prev(args.end())));
    }
    // Invalid even after an action, so a typo is never silently ignored.
    EXPECT_EQ(parse({"--help", "--nope"}).action, CommandLine::Action::invalid);
    EXPECT_TRUE(tessary::desktop::usageText().contains(QStringLiteral("--background")));
}

TEST(CommandLine, RoundControlsGoToTheRunningInstanceOneAtATime)
{
    for (const char *c : {"start", "toggle-pause", "mind-wander", "fatigue", "end", "show", "status"}) {
        const CommandLine line = parse({(QByteArray("--") + c).constData()});
        EXPECT_EQ(line.action, CommandLine::Action::remote) << c;
        EXPECT_EQ(line.remoteCommand, QByteArray(c));
        EXPECT_FALSE(line.json);
    }
    const CommandLine json = parse({"--status", "--json"});
    EXPECT_EQ(json.action, CommandLine::Action::remote);
    EXPECT_TRUE(json.json);
    EXPECT_TRUE(parse({"--json", "--status"}).json);
    // --json means nothing elsewhere, and two commands in one call would be a guess.
    EXPECT_EQ(parse({"--end", "--json"}).action, CommandLine::Action::invalid);
    EXPECT_EQ(parse({"--json"}).action, CommandLine::Action::invalid);
    const CommandLine two = parse({"--toggle-pause", "--end"});
    EXPECT_EQ(two.action, CommandLine::Action::invalid);
    EXPECT_EQ(two.invalidArgument, QStringLiteral("--end"));
    EXPECT_EQ(parse({"-toggle-pause"}).action, CommandLine::Action::invalid);
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
