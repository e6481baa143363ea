#include "farm/controller.h"
#include "model/scene_record.h"
#include "options/options.h"

#include "scripted_people.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Closing stores what starting loads: the queue, the nodes and the options.
TEST(Controller, CloseStoresWhatStartLoads)
{
    QTemporaryDir directory;
    TOptions options(directory.filePath(QStringLiteral("Farm.ini")));
    options.Load();
    options.Master = true;
    options.ScreamerDirectory = directory.path();
    options.MasterScreamerComputers = 3;
    TScriptedPeople people;
    TManualClock clock;
    {
        TController controller(options, people, clock);
        controller.Start();
        EXPECT_TRUE(controller.TimerMaster.isActive());
        EXPECT_FALSE(controller.TimerRemote.isActive());
        EXPECT_EQ(controller.Farm().Overview.ItemCount(), 3);
        EXPECT_EQ(controller.Farm().Events.Item(0).Comment, QStringLiteral("Started."));
        auto scene = std::make_unique<TScene>();
        scene->Filename = QStringLiteral("/scenes/a.lws");
        controller.Farm().Scenes.Add(std::move(scene), true);
        auto node = std::make_unique<TComputer>();
        node->Number = 2;
        node->Frames = QStringLiteral("4 5 1");
        controller.Farm().Computers.Add(std::move(node));
        EXPECT_TRUE(controller.Close());
        EXPECT_FALSE(controller.TimerMaster.isActive());
        EXPECT_FALSE(controller.TimerGeneral.isActive());
        EXPECT_EQ(controller.Farm().Events.Item(1).Comment, QStringLiteral("Ended"));
    }
    EXPECT_TRUE(QFileInfo::exists(options.FileName()));
    TController again(options, people, clock);
    again.Start();
    ASSERT_EQ(again.Farm().Scenes.Count(), 1);
    ASSERT_EQ(again.Farm().Computers.Count(), 1);
    EXPECT_EQ(again.Farm().Computers.Item(0).Frames, QStringLiteral("4 5 1"));

    // A Remote runs no dispatch and stores nothing of the Master's.
    options.Master = false;
    TController remote(options, people, clock);
    remote.Start();
    EXPECT_FALSE(remote.TimerMaster.isActive());
    EXPECT_TRUE(remote.TimerRemote.isActive());
    QFile::remove(options.StateScenesFile());
    remote.Close();
    EXPECT_FALSE(QFileInfo::exists(options.StateScenesFile()));
}

} // namespace
