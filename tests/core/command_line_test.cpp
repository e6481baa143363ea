#include "core/command_line.h"

#include <gtest/gtest.h>

TEST(CommandLine, RemoteAndOptionsName)
{
    TCommandLine none = ParseCommandLine({});
    EXPECT_FALSE(none.Remote);
    EXPECT_EQ(none.OptionsName, QStringLiteral("Kestrion4Options.ini"));

    TCommandLine remote = ParseCommandLine({ QStringLiteral("R"), QStringLiteral("Farm2") });
    EXPECT_TRUE(remote.Remote);
    EXPECT_EQ(remote.OptionsName, QStringLiteral("Farm2.ini"));

    // The options name is honoured only as the second argument.
    TCommandLine single = ParseCommandLine({ QStringLiteral("Farm2") });
    EXPECT_FALSE(single.Remote);
    EXPECT_EQ(single.OptionsName, QStringLiteral("Kestrion4Options.ini"));

    EXPECT_FALSE(ParseCommandLine({ QStringLiteral("r") }).Remote);
    EXPECT_FALSE(ParseCommandLine({ QStringLiteral("M"), QStringLiteral("/tmp/x") }).Remote);
    EXPECT_EQ(ParseCommandLine({ QStringLiteral("M"), QStringLiteral("/tmp/x") }).OptionsName,
        QStringLiteral("/tmp/x.ini"));
}
