#include "app/cli_arguments.h"
#include "app/cli_commands.h"

#include "model/scene_list.h"

#include <gtest/gtest.h>

namespace {

TCliArguments Parse(const QString& line)
{
    return ParseCliArguments(line.split(u' ', Qt::SkipEmptyParts));
}

} // namespace

TEST(CliArguments, SubmitSwitchesChangeOnlyWhatIsGiven)
{
    TCliArguments a = Parse(QStringLiteral(
        "--options studio submit a.lws b.lws --priority high --frames 10-50x5 --singles 1,3,7-9 --nodes 2-4 "
        "--max-nodes 3 --percent=50 --memory 512 --verify 0 --wait --timeout 5"));
    ASSERT_TRUE(a.Error.isEmpty()) << qPrintable(a.Error);
    EXPECT_EQ(a.Command, TCliCommand::Submit);
    EXPECT_EQ(a.OptionsName, QStringLiteral("studio.ini"));
    EXPECT_EQ(a.Words, (QStringList { QStringLiteral("a.lws"), QStringLiteral("b.lws") }));
    EXPECT_EQ(a.Submit.Priority, 3);
    EXPECT_TRUE(a.Submit.Range);
    EXPECT_EQ(a.Submit.First, 10);
    EXPECT_EQ(a.Submit.Last, 50);
    EXPECT_EQ(a.Submit.Step, 5);
    EXPECT_EQ(a.Submit.Singles, QStringLiteral("1 3 7 8 9"));
    EXPECT_EQ(a.Submit.Nodes, QStringLiteral("2 3 4"));
    EXPECT_EQ(a.Submit.MaxNodes, 3);
    EXPECT_EQ(a.Submit.Percent, 50);
    EXPECT_EQ(a.Submit.Memory, 512);
    EXPECT_EQ(a.Submit.Verify, 0);
    EXPECT_TRUE(a.Submit.Wait);
    EXPECT_EQ(a.TimeoutSeconds, 5);

    a = Parse(QStringLiteral("submit a.lws"));
    EXPECT_FALSE(a.Submit.Priority.has_value());
    EXPECT_FALSE(a.Submit.Range);
    EXPECT_FALSE(a.Submit.Verify.has_value());
    EXPECT_EQ(a.TimeoutSeconds, DefaultCliTimeoutSeconds);
    EXPECT_TRUE(a.OptionsName.isEmpty());
}

TEST(CliArguments, FrameRanges)
{
    int first = 0;
    int last = 0;
    int step = 0;
    EXPECT_TRUE(ParseFrameRange(QStringLiteral("1-100"), first, last, step));
    EXPECT_EQ(std::tie(first, last, step), std::make_tuple(1, 100, 1));
    EXPECT_TRUE(ParseFrameRange(QStringLiteral("-5--1x2"), first, last, step));
    EXPECT_EQ(std::tie(first, last, step), std::make_tuple(-5, -1, 2));
    EXPECT_TRUE(ParseFrameRange(QStringLiteral("12"), first, last, step));
    EXPECT_EQ(std::tie(first, last, step), std::make_tuple(12, 12, 1));
    for (const char* bad : { "", "x", "10-1", "1-10x0", "1-10x", "1-2-3", "1-99999999999", "a-b", "1,5" })
        EXPECT_FALSE(ParseFrameRange(QLatin1StringView(bad), first, last, step)) << bad;
}

TEST(CliArguments, MistakesAreRefusedBeforeAnythingRuns)
{
    const std::pair<const char*, const char*> cases[] = {
        { "", "no command" },
        { "frobnicate", "unknown command" },
        { "status --bogus", "unknown option --bogus" },
        { "status extra", "takes no argument" },
        { "submit", "needs a scene file" },
        { "submit a.lws --priority urgent", "--priority takes" },
        { "submit a.lws --frames 9-1", "--frames takes" },
        { "submit a.lws --percent 0", "--percent takes a number from 1 to 100" },
        { "submit a.lws --nodes x", "--nodes takes" },
        { "submit a.lws --timeout", "--timeout needs a value" },
        { "remove", "needs a scene" },
        { "priority 12", "priority takes a scene and a level" },
        { "priority 12 urgent", "the level is" },
        { "kill two", "no node number" },
        { "crashed", "needs a node number" },
        { "status --wait", "--wait belongs to submit" },
        { "remove 1 --json", "--json belongs to status" },
        { "kill 1 --render-again", "--render-again belongs to crashed" },
        { "status --max-nodes 2", "--max-nodes belongs to submit" },
        { "message", "needs a text" },
    };
    for (const auto& [line, error] : cases)
        EXPECT_TRUE(Parse(QLatin1StringView(line)).Error.contains(QLatin1StringView(error)))
            << line << ": " << qPrintable(Parse(QLatin1StringView(line)).Error);
}

TEST(CliArguments, HelpVersionAndWordsAfterTheEndOfSwitches)
{
    EXPECT_TRUE(Parse(QStringLiteral("--help")).Help);
    EXPECT_TRUE(Parse(QStringLiteral("--version")).Version);
    TCliArguments a = Parse(QStringLiteral("help submit"));
    EXPECT_TRUE(a.Help);
    EXPECT_EQ(a.Command, TCliCommand::Submit);
    EXPECT_TRUE(CliUsage(a.Command).contains(QStringLiteral("--frames")));
    a = Parse(QStringLiteral("kill --help"));
    EXPECT_TRUE(a.Help && a.Error.isEmpty()) << "help wins over what is missing";
    EXPECT_TRUE(Parse(QStringLiteral("--json status")).Json) << "switches may come before the command";

    a = Parse(QStringLiteral("message -- --not a switch"));
    ASSERT_TRUE(a.Error.isEmpty()) << qPrintable(a.Error);
    EXPECT_EQ(a.Words.join(u' '), QStringLiteral("--not a switch"));
    a = Parse(QStringLiteral("priority shot.lws TOP"));
    EXPECT_EQ(a.Level, 4);
    EXPECT_EQ(a.Words, QStringList { QStringLiteral("shot.lws") });
    a = Parse(QStringLiteral("crashed 3 4 --render-again"));
    EXPECT_TRUE(a.RenderAgain);
    EXPECT_EQ(a.Words.size(), 2);
}

TEST(CliScenes, ByIdPathOrFileNameAndAmbiguousNamesRefused)
{
    TSceneList scenes;
    const auto add = [&scenes](int id, const char* file) {
        auto scene = std::make_unique<TScene>();
        scene->ID = id;
        scene->Filename = QLatin1StringView(file);
        scenes.Append(std::move(scene));
    };
    add(101, "/a/shot.lws");
    add(202, "/b/shot.lws");
    add(303, "/a/other.lws");

    QList<int> ids;
    QString error;
    ASSERT_TRUE(ResolveScenes(scenes,
        { QStringLiteral("202"), QStringLiteral("other.lws"), QStringLiteral("/a/shot.lws"),
            QStringLiteral("303") },
        ids, error))
        << qPrintable(error);
    EXPECT_EQ(ids, (QList<int> { 202, 303, 101 })) << "each scene once, in the order named";

    EXPECT_FALSE(ResolveScenes(scenes, { QStringLiteral("shot.lws") }, ids, error));
    EXPECT_TRUE(error.contains(QStringLiteral("names 2 scenes")));
    EXPECT_TRUE(error.contains(QStringLiteral("101 (/a/shot.lws)")));
    EXPECT_TRUE(error.contains(QStringLiteral("202 (/b/shot.lws)")));

    EXPECT_FALSE(ResolveScenes(scenes, { QStringLiteral("999") }, ids, error));
    EXPECT_TRUE(error.contains(QStringLiteral("No scene of the Master's queue is \"999\"")));
    EXPECT_FALSE(ResolveScenes(scenes, { QStringLiteral("missing.lws") }, ids, error));
}
