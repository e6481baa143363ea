#include "farm/remote_update.h"

#include "farm/farm.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command_file.h"

#include "scripted_people.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A Remote's Update replaces its lists with the Master's state files and asks the Master for
// fresh ones; a missing file leaves that list empty and says so.
TEST(RemoteUpdate, ReadsTheStateFilesAndAsksForNewOnes)
{
    QTemporaryDir directory;
    TOptions options;
    options.Master = false;
    options.ScreamerDirectory = directory.path();
    TScriptedPeople people;
    TManualClock clock;
    TFarm farm(options, people, clock);

    TSceneList master;
    auto scene = std::make_unique<TScene>();
    scene->Filename = QStringLiteral("/scenes/a.lws");
    master.Add(std::move(scene), true);
    ASSERT_TRUE(SaveSceneList(master, options.StateScenesFile()));
    auto stale = std::make_unique<TComputer>();
    stale->Number = 7;
    farm.Computers.Add(std::move(stale));

    EXPECT_FALSE(UpdateFromMaster(farm));
    ASSERT_EQ(farm.Scenes.Count(), 1);
    EXPECT_EQ(farm.Scenes.Item(0).Filename, QStringLiteral("/scenes/a.lws"));
    EXPECT_EQ(farm.Computers.Count(), 0);

    TCommand sent;
    ASSERT_TRUE(ReadRemoteCommandFile(options, sent));
    EXPECT_EQ(sent.Command, ProgramUpdate);
}
