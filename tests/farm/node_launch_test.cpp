#include "farm/controller.h"
#include "options/options.h"

#include "scripted_people.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(NodeLaunch, ParametersNameTheFilesAsTheMasterWritesThem)
{
    EXPECT_EQ(NodeParameters(
                  QStringLiteral("/lw/config"), 1, QStringLiteral("/cmd/Job3"), QStringLiteral("/cmd/Ack3")),
        QStringLiteral("-2 -c\"/lw/config\" \"/cmd/Job3\" \"/cmd/Ack3\""));
    EXPECT_EQ(NodeParameters(
                  QStringLiteral("/lw/config"), 10, QStringLiteral("/cmd/Job3"), QStringLiteral("/cmd/Ack3")),
        QStringLiteral("-2 -c\"/lw/config\" -t10 \"/cmd/Job3\" \"/cmd/Ack3\""));
}

class NodeLaunchFarm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Options.Master = true;
        Options.ScreamerDirectory = Directory.path();
        Options.ScreamerFilename = NoneText;
        Options.MasterScreamerComputers = 9;
        Options.ScreamerName = QStringLiteral("Here");
        Controller = std::make_unique<TController>(Options, People, Clock);
    }

    QTemporaryDir Directory;
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    std::unique_ptr<TController> Controller;
};

TEST_F(NodeLaunchFarm, StartMenusOfferOnlyFreeUnstartedNodesAndNeverMoreThanEight)
{
    Options.ScreamerNumbers = QStringLiteral("3 5");
    auto registered = std::make_unique<TComputer>();
    registered->Number = 3;
    Controller->Farm().Computers.Add(std::move(registered));
    TStartMenus menus = Controller->StartMenus();
    EXPECT_FALSE(menus.Entries[0].Enabled);
    EXPECT_TRUE(menus.Entries[1].Enabled);
    EXPECT_TRUE(menus.Entries[1].Shortcut);
    EXPECT_EQ(menus.Entries[1].Caption, QStringLiteral("Screamer 5"));
    EXPECT_FALSE(menus.Entries[2].Visible);
    EXPECT_EQ(menus.TrayCaption, QStringLiteral("Start Screamer 5"));
    EXPECT_EQ(menus.TrayTag, 1);

    // A missing node program is said, and the entry still counts as started.
    EXPECT_FALSE(Controller->StartScreamer(1));
    EXPECT_EQ(People.Asked.value(0), ScreamerOptionsText);
    Options.ScreamerFilename = Directory.filePath(QStringLiteral("no-such-node"));
    EXPECT_FALSE(Controller->StartScreamer(1));
    EXPECT_EQ(People.Asked.value(1), ScreamerMissingText);
    // What was said is not contradicted by an event that it started.
    EXPECT_EQ(Controller->Farm().Events.Count(), 0);
    menus = Controller->StartMenus();
    EXPECT_FALSE(menus.TrayEnabled);
    EXPECT_EQ(menus.TrayCaption, QStringLiteral("All Screamers Started"));
    // A start that never made a process is never declared crashed.
    EXPECT_FALSE(IsDead(Controller->Farm().Screamers.Item(1)));

    Options.ScreamerNumbers = QStringLiteral("1 2 3 4 5 6 7 8 9 10");
    menus = Controller->StartMenus();
    EXPECT_EQ(Controller->Farm().Screamers.Count(), 10);
    EXPECT_TRUE(menus.Entries[7].Visible);
    EXPECT_EQ(menus.Entries[7].Caption, QStringLiteral("Screamer 8"));
}

// A program that is there but cannot be run: an event says so, and none says it started.
TEST_F(NodeLaunchFarm, AStartThatFailsIsNotLoggedAsStarted)
{
    Options.ScreamerFilename = Directory.filePath(QStringLiteral("lwsn"));
    QFile program(Options.ScreamerFilename);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("not a program");
    program.close();
    ASSERT_TRUE(program.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    Options.ScreamerNumbers = QStringLiteral("4");
    Controller->StartMenus();
    EXPECT_FALSE(Controller->StartScreamer(0));
    const TEventLog& events = Controller->Farm().Events;
    ASSERT_EQ(events.Count(), 1);
    EXPECT_EQ(events.Item(0).Comment,
        QStringLiteral("Screamer 4 could not be started. The node program %1 may not be run (option "
                       "ScreamerFilename): check its permissions.")
            .arg(Options.ScreamerFilename));
    EXPECT_FALSE(Controller->StartMenus().Entries[0].Enabled);
}

} // namespace

namespace {

TEST_F(NodeLaunchFarm, CommandsDirectoryGoneIsAnEventNotAnEnd)
{
    Options.ScreamerDirectory = Directory.filePath(QStringLiteral("gone"));
    Options.ScreamerFilename = QStringLiteral("/bin/true");
    Options.ScreamerNumbers = QStringLiteral("1");
    Options.ScreamerHide = true;
    Controller->StartMenus();
    EXPECT_NO_THROW(Controller->StartScreamer(0));
    EXPECT_NO_THROW(Controller->Rescan());
    const TEventLog& events = Controller->Farm().Events;
    ASSERT_EQ(events.Count(), 1);
    EXPECT_EQ(events.Item(0).Type, QStringLiteral("Error"));
}

} // namespace
