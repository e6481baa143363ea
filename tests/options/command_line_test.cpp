#include "options/command_line.h"

#include <gtest/gtest.h>

TEST(CommandLine, RemoteAndOptionsName)
{
    TCommandLine none = ParseCommandLine(TProgram::Desktop, {});
    EXPECT_FALSE(none.Remote);
    EXPECT_EQ(none.OptionsName, QStringLiteral("Kestrion4Options.ini"));

    TCommandLine remote
        = ParseCommandLine(TProgram::Desktop, { QStringLiteral("R"), QStringLiteral("Farm2") });
    EXPECT_TRUE(remote.Remote);
    EXPECT_EQ(remote.OptionsName, QStringLiteral("Farm2.ini"));

    // The options name is honoured only as the second argument.
    TCommandLine single = ParseCommandLine(TProgram::Desktop, { QStringLiteral("Farm2") });
    EXPECT_FALSE(single.Remote);
    EXPECT_EQ(single.OptionsName, QStringLiteral("Kestrion4Options.ini"));

    EXPECT_FALSE(ParseCommandLine(TProgram::Desktop, { QStringLiteral("r") }).Remote);
    EXPECT_FALSE(
        ParseCommandLine(TProgram::Desktop, { QStringLiteral("M"), QStringLiteral("/tmp/x") }).Remote);
    EXPECT_EQ(
        ParseCommandLine(TProgram::Desktop, { QStringLiteral("M"), QStringLiteral("/tmp/x") }).OptionsName,
        QStringLiteral("/tmp/x.ini"));

    // A name that already ends in ".ini" is the file's whole name.
    EXPECT_EQ(ParseCommandLine(TProgram::Desktop, { QStringLiteral("R"), QStringLiteral("Master.ini") })
                  .OptionsName,
        QStringLiteral("Master.ini"));
    EXPECT_EQ(ParseCommandLine(TProgram::Daemon, { QStringLiteral("/srv/Farm.INI") }).OptionsName,
        QStringLiteral("/srv/Farm.INI"));
    EXPECT_EQ(ParseCommandLine(TProgram::Daemon, { QStringLiteral("Farm.ini.old") }).OptionsName,
        QStringLiteral("Farm.ini.old.ini"));
}

TEST(CommandLine, DaemonOptionsHelpAndVersion)
{
    const TCommandLine daemon
        = ParseCommandLine(TProgram::Daemon, { QStringLiteral("Farm2"), QStringLiteral("--start-nodes") });
    EXPECT_TRUE(daemon.StartNodes);
    EXPECT_FALSE(daemon.Remote);
    EXPECT_EQ(daemon.OptionsName, QStringLiteral("Farm2.ini"));
    EXPECT_TRUE(daemon.Unknown.isEmpty());

    // The daemon refuses options it does not know; the desktop program keeps its two places.
    EXPECT_EQ(ParseCommandLine(TProgram::Daemon, { QStringLiteral("-x") }).Unknown, QStringLiteral("-x"));
    EXPECT_EQ(
        AnswerCommandLine(TProgram::Daemon, ParseCommandLine(TProgram::Daemon, { QStringLiteral("-x") })), 2);
    EXPECT_TRUE(ParseCommandLine(TProgram::Desktop, { QStringLiteral("-x") }).Unknown.isEmpty());

    // --help and --version anywhere, for both, and they do not take a place.
    for (const TProgram program : { TProgram::Desktop, TProgram::Daemon }) {
        const TCommandLine help
            = ParseCommandLine(program, { QStringLiteral("R"), QStringLiteral("--help") });
        EXPECT_TRUE(help.Help);
        EXPECT_EQ(help.Remote, program == TProgram::Desktop);
        EXPECT_TRUE(ParseCommandLine(program, { QStringLiteral("--version") }).Version);
        EXPECT_EQ(AnswerCommandLine(program, ParseCommandLine(program, {})), -1);
    }
    EXPECT_TRUE(VersionText(TProgram::Daemon).startsWith(QStringLiteral("kestriond 4.")));
    EXPECT_TRUE(UsageText(TProgram::Desktop).startsWith(QStringLiteral("usage: kestrion [R [OPTIONS]]")));
}
