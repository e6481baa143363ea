#include "farm/scene_commands.h"

#include "farm/command_executor.h"
#include "farm/discovery.h"
#include "farm/farm.h"
#include "farm/scene_operations.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command_file.h"
#include "support/text_file.h"

#include "scripted_people.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Questions let the farm's ticks run; this stands for such a tick.
class TTickingPeople : public TScriptedPeople
{
public:
    bool Ask(const QString& text, bool isQuestion) override
    {
        if (isQuestion && DuringQuestion)
            DuringQuestion();
        return TScriptedPeople::Ask(text, isQuestion);
    }
    std::function<void()> DuringQuestion;
};

struct TCommandFarm
{
    explicit TCommandFarm(bool master)
    {
        Options.Master = master;
        Options.ScreamerName = QStringLiteral("Here");
        Options.ScreamerDirectory = Options.ContentDirectory = Dir.path();
        QFile::copy(QStringLiteral(KESTRION_TEST_DATA "/scenes/plain.lws"), Scene);
    }

    int Add(const QString& name, int priority = 2)
    {
        auto scene = std::make_unique<TScene>();
        scene->Filename = name;
        scene->KestrionFilename = NoneText;
        scene->Settings.Priority = priority;
        return Farm.Scenes.Add(std::move(scene), true).ID;
    }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < Farm.Scenes.Count(); ++i)
            names << Farm.Scenes.Item(i).Filename;
        return names;
    }
    // The command a Remote sent, the next one brought out of the outbox.
    TCommand Sent()
    {
        TCommand command;
        if (!ReadRemoteCommandFile(Options, command))
            command.Command = NoCommand;
        Farm.Outbox.Flush(Options);
        return command;
    }
    const TEvent& LastEvent() const { return Farm.Events.Item(Farm.Events.Count() - 1); }

    QTemporaryDir Dir;
    QString Scene = Dir.filePath(QStringLiteral("plain.lws"));
    TOptions Options;
    TTickingPeople People;
    TManualClock Clock;
    TFarm Farm { Options, People, Clock };
};

QStringList Ids(std::initializer_list<int> ids)
{
    QStringList lines;
    for (const int id : ids)
        lines << QString::number(id);
    return lines;
}

TEST(SceneCommands, MasterActsOnTheScenesItWasShown)
{
    TCommandFarm f(true);
    EXPECT_FALSE(RemoveScenes(f.Farm, { 1 }));
    EXPECT_TRUE(f.People.Asked.isEmpty());

    const int a = f.Add(QStringLiteral("a"));
    const int b = f.Add(QStringLiteral("b"));
    f.Add(QStringLiteral("c"));
    f.Add(QStringLiteral("d"));
    EXPECT_EQ(SceneIdsOfRows(f.Farm.Scenes, 2, 9).size(), 2);
    const QList<int> marked = SceneIdsOfRows(f.Farm.Scenes, 1, 2);

    // A tick takes "b" away while the question is open: "d", now on the marked rows, stays.
    f.People.DuringQuestion = [&] { RemoveScene(f.Farm, f.Farm.Scenes.IndexOfID(b)); };
    ASSERT_TRUE(RemoveScenes(f.Farm, marked));
    EXPECT_EQ(f.People.Asked, QStringList { RemoveScenesQuestion });
    EXPECT_EQ(f.Names(), (QStringList { QStringLiteral("a"), QStringLiteral("d") }));
    EXPECT_EQ(f.LastEvent().Comment, QStringLiteral("c"));

    f.Farm.Scenes.FindByID(a)->NextFrames(1);
    ASSERT_TRUE(ResetScenes(f.Farm, { a }));
    EXPECT_EQ(f.People.Asked.size(), 1);
    EXPECT_EQ(f.Farm.Scenes.FindByID(a)->PercentDone(), 0);

    // A low scene dragged above a high one only passes the scenes of its own priority.
    f.Add(QStringLiteral("high"), 3);
    ASSERT_EQ(f.Names(), (QStringList { QStringLiteral("high"), QStringLiteral("a"), QStringLiteral("d") }));
    ASSERT_TRUE(MoveSceneRow(f.Farm, 2, 0));
    EXPECT_EQ(f.Names(), (QStringList { QStringLiteral("high"), QStringLiteral("d"), QStringLiteral("a") }));
    EXPECT_EQ(f.LastEvent().Comment, QStringLiteral("d"));
    EXPECT_FALSE(MoveSceneRow(f.Farm, 0, 3));

    EXPECT_FALSE(SendEventMessage(f.Farm));
    EXPECT_EQ(f.People.Asked.size(), 1);
}

TEST(SceneCommands, RemoteSendsWhatTheMasterCarriesOut)
{
    TCommandFarm f(false);
    const int a = f.Add(QStringLiteral("a"));
    const int b = f.Add(QStringLiteral("b"));
    const int c = f.Add(QStringLiteral("c"));
    f.Add(QStringLiteral("d"));

    f.People.Answer = false;
    EXPECT_FALSE(ResetScenes(f.Farm, { a, b }));
    EXPECT_EQ(f.People.Asked, QStringList { ResetScenesQuestion });
    f.People.Answer = true;
    ASSERT_TRUE(ResetScenes(f.Farm, { a, b }));
    TCommand sent = f.Sent();
    EXPECT_EQ(sent.Command, ScenesReset);
    EXPECT_EQ(sent.Arguments, Ids({ a, b }));

    f.People.DuringQuestion = [&] { f.Farm.Scenes.Remove(f.Farm.Scenes.IndexOfID(a)); };
    ASSERT_TRUE(RemoveScenes(f.Farm, { a, b }));
    f.People.DuringQuestion = nullptr;
    sent = f.Sent();
    EXPECT_EQ(sent.Command, ScenesRemove);
    EXPECT_EQ(sent.Arguments, Ids({ b }));
    EXPECT_EQ(f.Farm.Scenes.Count(), 3); // the Master removes, the Remote waits for its lists

    f.People.TextAnswer = QStringLiteral("Coffee");
    ASSERT_TRUE(SendEventMessage(f.Farm));
    sent = f.Sent();
    EXPECT_EQ(sent.Command, EventMessage);
    EXPECT_EQ(sent.Arguments, QStringList { QStringLiteral("Coffee") });
    EXPECT_EQ(f.LastEvent().Type, EventMessageEvent);

    // A dragged row, carried out by a Master holding the same queue, lands where it was dropped.
    ASSERT_TRUE(MoveSceneRow(f.Farm, 0, 2)); // b c d -> c d b
    sent = f.Sent();
    EXPECT_EQ(sent.Arguments, Ids({ b, b, c }));
    TCommandFarm master(true);
    QStringList lines;
    SaveToLines(f.Farm.Scenes, lines);
    LoadFromLines(master.Farm.Scenes, lines);
    TDiscovery discovery(master.Farm);
    bool scenesChanged = false;
    bool computersChanged = false;
    ExecuteRemoteCommand(master.Farm, discovery, sent, scenesChanged, computersChanged);
    EXPECT_EQ(
        master.Names(), (QStringList { QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("b") }));

    EXPECT_FALSE(OpenSceneList(f.Farm, QString()));
}

TEST(SceneCommands, OpenListGivesTakenIdsAndCopiesFreshOnes)
{
    TCommandFarm f(true);
    ASSERT_TRUE(AddSceneFromFile(f.Farm, f.Scene, TSceneSettings(), QString()));
    const TScene& first = f.Farm.Scenes.Item(0);
    const int firstID = first.ID;
    const QString firstCopy = first.KestrionFilename;
    // A second scene whose private copy has gone, with render options of its own.
    auto lost = std::make_unique<TScene>(first);
    lost->ID = firstID == 5000 ? 5001 : 5000;
    const int lostID = lost->ID;
    lost->KestrionFilename = f.Dir.filePath(QStringLiteral("gone.lns"));
    lost->Data.RenderMode = 0;
    f.Farm.Scenes.Add(std::move(lost), false);
    const QString list = f.Dir.filePath(QStringLiteral("queue.lst"));
    ASSERT_TRUE(SaveSceneListAs(f.Farm, list));
    RemoveScene(f.Farm, 1);

    ASSERT_TRUE(OpenSceneList(f.Farm, list));
    EXPECT_EQ(f.LastEvent().Comment, list);
    ASSERT_EQ(f.Farm.Scenes.Count(), 3);
    const TScene& again = f.Farm.Scenes.Item(1);
    const TScene& found = f.Farm.Scenes.Item(2);
    EXPECT_NE(again.ID, firstID);
    EXPECT_NE(again.KestrionFilename, firstCopy);
    EXPECT_TRUE(QFileInfo(again.KestrionFilename).isFile());
    EXPECT_EQ(found.ID, lostID);
    EXPECT_NE(found.KestrionFilename, again.KestrionFilename);
    QStringList copyLines;
    ASSERT_TRUE(ReadTextLines(found.KestrionFilename, copyLines));
    EXPECT_TRUE(copyLines.contains(QStringLiteral("RenderMode 0")));

    const QString nowhere = f.Dir.filePath(QStringLiteral("no/such.lst"));
    EXPECT_FALSE(OpenSceneList(f.Farm, nowhere));
    EXPECT_EQ(f.People.Asked.last(), SceneListReadError.arg(nowhere));
    EXPECT_FALSE(SaveSceneListAs(f.Farm, nowhere));
    EXPECT_EQ(f.People.Asked.last(), SceneListWriteError);
    EXPECT_EQ(f.Farm.Scenes.Count(), 3);
}

TEST(SceneCommands, VerifyLeavesFramesInRenderAlone)
{
    TCommandFarm f(true);
    ASSERT_TRUE(AddSceneFromFile(f.Farm, f.Scene, TSceneSettings(), QString()));
    TScene& scene = f.Farm.Scenes.Item(0);
    scene.Data.SaveRGBImagesPrefix = f.Dir.filePath(QStringLiteral("frame"));
    scene.Settings.CurrentLast = 3;
    WriteTextLines(scene.FrameFileName(1, TFrameKind::RGB, QString()), { QStringLiteral("x") });
    // Frame 3 is being rendered, frame 2 was lost.
    auto node = std::make_unique<TComputer>();
    node->StateString = QStringLiteral("Rendering");
    node->SceneString = scene.Filename;
    node->Frames = QStringLiteral("3 3 1");
    f.Farm.Computers.Add(std::move(node));
    ASSERT_TRUE(VerifyScenes(f.Farm, { scene.ID }));
    EXPECT_EQ(f.People.Asked.size(), 1);
    EXPECT_EQ(scene.Settings.MissingList, QStringLiteral("2"));
    EXPECT_EQ(f.LastEvent().Type, SceneEventVerify);
}

} // namespace

// A file that is no usable scene is logged and skipped; a Remote sends the files with the
// initial options for the Master to add.
TEST(SceneCommands, AddTakesTheFilesThatReadAsScenes)
{
    TCommandFarm master(true);
    const QString broken = master.Dir.filePath(QStringLiteral("broken.lws"));
    QFile::copy(QStringLiteral(KESTRION_TEST_DATA "/scenes/step0.lws"), broken);
    EXPECT_TRUE(AddScenes(master.Farm, { master.Scene, broken }, InitialOptions(master.Farm.Options)));
    EXPECT_EQ(master.Names(), QStringList { master.Scene });
    EXPECT_EQ(master.Farm.Scenes.Item(0).Comment, QStringLiteral("Here"));
    // The Master says which file it refused and why.
    EXPECT_EQ(master.LastEvent().Type, SceneEventRefused);
    EXPECT_EQ(master.LastEvent().Comment,
        SceneRefusedText(
            broken, QStringLiteral("its frame range is unusable (first frame 1, last frame 24, step 0)")));
    const QString text = master.Dir.filePath(QStringLiteral("notes.lws"));
    WriteTextLines(text, { QStringLiteral("FirstFrame 1") });
    EXPECT_TRUE(AddScenes(master.Farm, { text }, InitialOptions(master.Farm.Options)));
    EXPECT_EQ(master.Farm.Scenes.Count(), 1);
    EXPECT_TRUE(master.LastEvent().Comment.startsWith(
        text + QStringLiteral(" was not added: it is not a LightWave scene")));

    TCommandFarm remote(false);
    EXPECT_TRUE(AddScenes(remote.Farm, { remote.Scene }, InitialOptions(remote.Farm.Options)));
    const TCommand sent = remote.Sent();
    EXPECT_EQ(sent.Command, ScenesAdd);
    EXPECT_EQ(sent.Arguments.mid(0, 2), (QStringList { QStringLiteral("1"), remote.Scene }));
    EXPECT_EQ(remote.Farm.Scenes.Count(), 0);
    EXPECT_EQ(remote.LastEvent().Type, SceneEventSend);
}

// The Master reloads with the initial options, a new ID and a fresh start; a scene gone
// meanwhile is skipped.
TEST(SceneCommands, MasterReloadsWithTheInitialOptions)
{
    TCommandFarm f(true);
    ASSERT_TRUE(AddScenes(f.Farm, { f.Scene }, InitialOptions(f.Options)));
    const int id = f.Farm.Scenes.Item(0).ID;
    f.Farm.Scenes.Item(0).NextFrames(3);
    TScene initial = InitialOptions(f.Options);
    initial.Settings.Priority = 4;
    EXPECT_FALSE(ReloadScenes(f.Farm, { id + 100 }, initial));
    ASSERT_TRUE(ReloadScenes(f.Farm, { id }, initial));
    ASSERT_EQ(f.Farm.Scenes.Count(), 1);
    const TScene& reloaded = f.Farm.Scenes.Item(0);
    EXPECT_NE(reloaded.ID, id);
    EXPECT_EQ(reloaded.Settings.Priority, 4);
    EXPECT_EQ(reloaded.PercentDone(), 0);
    EXPECT_EQ(f.LastEvent().Type, SceneEventReload);
}
