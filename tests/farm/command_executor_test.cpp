#include "farm/command_executor.h"

#include "farm/discovery.h"
#include "farm/farm.h"
#include "farm/scene_operations.h"
#include "model/node_channel.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/text_file.h"

#include "scripted_people.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TMasterFarm
{
    TMasterFarm()
    {
        Options.Master = true;
        Options.ScreamerDirectory = Options.ContentDirectory = Dir.path();
        Options.MasterScreamerComputers = 4;
        Options.ScreamerName = QStringLiteral("Boss");
        Farm.Overview.SetItemCount(4);
        QFile::copy(QStringLiteral(KESTRION_TEST_DATA "/scenes/plain.lws"), Scene);
    }

    TScene& Add(int id, int priority = 2)
    {
        TSceneSettings settings;
        settings.Priority = priority;
        EXPECT_TRUE(AddSceneFromFile(Farm, Scene, settings, QStringLiteral("Master")));
        for (int i = 0; i < Farm.Scenes.Count(); ++i)
            if (Farm.Scenes.Item(i).Order == Farm.Scenes.Count() - 1)
                Farm.Scenes.Item(i).ID = id;
        return *Farm.Scenes.FindByID(id);
    }

    // Runs a command from the Remote "Remo", which runs screamer 3; false when nothing changed.
    bool Execute(int code, const QStringList& arguments)
    {
        TCommand command(code);
        command.SenderName = QStringLiteral("Remo");
        command.SenderScreamers = QStringLiteral("3");
        command.SenderMemory = 512;
        command.Arguments = arguments;
        ScenesChanged = ComputersChanged = false;
        ExecuteRemoteCommand(Farm, Discovery, command, ScenesChanged, ComputersChanged);
        return ScenesChanged || ComputersChanged;
    }

    QList<int> IDs() const
    {
        QList<int> ids;
        for (int i = 0; i < Farm.Scenes.Count(); ++i)
            ids << Farm.Scenes.Item(i).ID;
        return ids;
    }

    QStringList Events() const
    {
        QStringList events;
        for (int i = 0; i < Farm.Events.Count(); ++i)
            events << Farm.Events.Item(i).Origin + u'|' + Farm.Events.Item(i).Type + u'|'
                    + Farm.Events.Item(i).Comment;
        return events;
    }

    QTemporaryDir Dir;
    QString Scene = Dir.filePath(QStringLiteral("plain.lws"));
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    TFarm Farm { Options, People, Clock };
    TDiscovery Discovery { Farm };
    bool ScenesChanged = false;
    bool ComputersChanged = false;
};

QStringList Record(const TScene& scene)
{
    TScene copy = scene;
    QStringList lines;
    WriteRecord(copy, lines);
    return lines;
}

TEST(RemoteCommands, AddDuplicateRemove)
{
    TMasterFarm f;
    TScene initial;
    initial.Settings.Priority = 4;
    initial.KestrionFilename = f.Scene; // a template's files do not matter
    const QString missing = f.Dir.filePath(QStringLiteral("gone.lws"));
    ASSERT_TRUE(f.Execute(ScenesAdd, QStringList { "3", f.Scene, missing, f.Scene } + Record(initial)));
    ASSERT_EQ(f.Farm.Scenes.Count(), 1);
    TScene& added = f.Farm.Scenes.Item(0);
    EXPECT_EQ(added.Settings.Priority, 4);
    EXPECT_EQ(added.Comment, QStringLiteral("Remo"));
    EXPECT_NE(added.KestrionFilename, f.Scene);
    EXPECT_EQ(f.Events(),
        QStringList({ "Remo|Scenes Send|" + f.Scene, "Remo|Scenes Send|" + missing,
            "Remo|Scenes Refused|" + SceneRefusedText(missing, QStringLiteral("the file does not exist")) }));
    EXPECT_TRUE(f.Events().last().contains(
        missing + QStringLiteral(" was not added: the file does not exist. Check")));

    added.ID = 10;
    f.Execute(ScenesDuplicate, { "10", "10", "10" });
    EXPECT_EQ(f.Farm.Scenes.Count(), 2);

    const QString copy = added.KestrionFilename;
    f.Execute(ScenesRemove, { "10" });
    EXPECT_EQ(f.Farm.Scenes.Count(), 1);
    EXPECT_FALSE(QFileInfo::exists(copy));
}

TEST(RemoteCommands, EditMoveAndReloadFindTheirScenes)
{
    TMasterFarm f;
    TScene& first = f.Add(1);
    TScene& third = f.Add(3);
    first.NextFrames(4);
    TScene remoteFirst = first;
    remoteFirst.Settings.RangeLast = 0;
    remoteFirst.Settings.Priority = 1;
    TScene remoteThird = third;
    remoteThird.Settings.AutomaticVerifyTimes = 9;
    TScene remoteSecond = third;
    remoteSecond.Settings.Priority = 0;
    ASSERT_TRUE(f.Execute(ScenesEdit,
        QStringList { "3", "1", "2", "3" } + Record(remoteFirst) + Record(remoteSecond)
            + Record(remoteThird)));
    EXPECT_EQ(first.Settings.Priority, 1);
    EXPECT_EQ(first.Settings.RangeLast, 4); // the Master's progress stays
    EXPECT_EQ(third.Settings.AutomaticVerifyTimes, 9);
    EXPECT_EQ(third.Settings.Priority, 2);
    EXPECT_EQ(f.IDs(), QList<int>({ 3, 1 })); // re-sorted by priority

    f.Add(4);
    f.Add(5);
    // Moved behind the last scene the Remote showed before it; the sort has the last word.
    f.Execute(ScenesMove, { "5", "3", "77" });
    EXPECT_EQ(f.IDs(), QList<int>({ 3, 5, 4, 1 }));
    EXPECT_TRUE(f.Events().last().endsWith(" to place 2"));
    f.Execute(ScenesMove, { "4" });
    EXPECT_EQ(f.IDs(), QList<int>({ 4, 3, 5, 1 }));
    f.Execute(ScenesMove, { "4", "1" });
    EXPECT_EQ(f.IDs(), QList<int>({ 3, 5, 4, 1 })); // never past the end, nor past priority 1

    TScene initial;
    initial.Settings.Priority = 3;
    f.Execute(ScenesReload, QStringList { "5", "77" } + Record(initial));
    EXPECT_EQ(f.Farm.Scenes.IndexOfID(5), -1);
    EXPECT_EQ(f.Farm.Scenes.Item(0).Settings.Priority, 3);
    EXPECT_EQ(f.Farm.Scenes.Item(0).Comment, QStringLiteral("Boss"));
    EXPECT_EQ(f.Farm.Scenes.Count(), 4);

    // A scene whose file is no scene any more keeps its place, and the Master says why.
    WriteTextLines(f.Scene, { QStringLiteral("overwritten") });
    const int id = f.Farm.Scenes.Item(0).ID;
    f.Execute(ScenesReload, QStringList { QString::number(id) } + Record(initial));
    EXPECT_EQ(f.Farm.Scenes.IndexOfID(id), 0);
    EXPECT_EQ(f.Events().last(),
        "Remo|Scenes Refused|"
            + SceneRefusedText(
                f.Scene, QStringLiteral("it is not a LightWave scene (its first line is not \"LWSC\")")));
}

TEST(RemoteCommands, MalformedCommandsAreSkippedWhole)
{
    TMasterFarm f;
    TScene& scene = f.Add(1);
    TScene remote = scene;
    remote.Settings.Priority = 4;
    const QStringList record = Record(remote);
    QStringList open = record;
    open.removeLast();

    const QList<QStringList> broken = {
        QStringList { "x", f.Scene } + record,
        QStringList { "-1", f.Scene } + record,
        QStringList { "500", f.Scene } + record,
        QStringList { "1", f.Scene } + open,
        QStringList { "1", f.Scene },
    };
    for (const QStringList& arguments : broken)
        EXPECT_FALSE(f.Execute(ScenesAdd, arguments)) << arguments.first().toStdString();
    EXPECT_FALSE(f.Execute(ScenesEdit, QStringList { "2", "1", "1" } + record + open));
    EXPECT_FALSE(f.Execute(ScenesEdit, QStringList { "3", "1", "1" } + record + record));
    EXPECT_FALSE(f.Execute(ScenesReload, QStringList { "1" } + open));
    EXPECT_FALSE(f.Execute(ScenesReload, { "1" }));
    EXPECT_EQ(f.Farm.Scenes.Count(), 1);
    EXPECT_EQ(scene.Settings.Priority, 2);
    EXPECT_TRUE(f.Events().isEmpty());

    // A line that is no ID finds nothing, not even a scene stored without one.
    scene.ID = -1;
    f.Execute(ScenesRemove, { "one" });
    EXPECT_EQ(f.Farm.Scenes.Count(), 1);
}

TEST(RemoteCommands, SenderComputersAndMessages)
{
    TMasterFarm f;
    auto node = std::make_unique<TComputer>();
    node->Number = 3;
    node->Name = QStringLiteral("Unknown");
    f.Farm.Computers.Add(std::move(node));

    // Even a command the Master does not know tells it who runs screamer 3.
    EXPECT_TRUE(f.Execute(NoCommand, {}));
    EXPECT_TRUE(f.ComputersChanged);
    EXPECT_EQ(f.Farm.Computers.FindByNumber(3)->Name, QStringLiteral("Remo"));
    EXPECT_EQ(f.Farm.Overview.Item(2).Name, QStringLiteral("Remo"));
    EXPECT_TRUE(QFileInfo::exists(f.Options.StateOverviewFile()));
    EXPECT_TRUE(f.Events().isEmpty());

    EXPECT_FALSE(f.Execute(ComputersCrashed, { "Rerender" }));
    EXPECT_EQ(f.Events(), QStringList({ "Remo|Computers Crash|" }));
    EXPECT_NE(f.Farm.Computers.FindByNumber(3)->StateString, AckOffline);

    f.Execute(EventMessage, { "Coffee" });
    EXPECT_EQ(f.People.Asked, QStringList({ "Coffee" }));
    EXPECT_EQ(f.Events().last(), QStringLiteral("Remo|Events Message|Coffee"));
}

} // namespace
