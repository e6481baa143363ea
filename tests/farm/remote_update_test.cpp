#include "farm/remote_update.h"

#include "farm/controller.h"
#include "farm/farm.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command_file.h"
#include "support/paths.h"
#include "support/text_file.h"

#include "scripted_people.h"
#include "test_files.h"

#include <QDir>
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

namespace {

const QString CopyType = QStringLiteral("Copy/Import");

// A Remote named "render-7" whose Master's queue is a state file the test writes; finished
// scenes render into out/<id> and ask to be copied to dest/<id>.
class AutomaticCopy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("commands")));
        options.Master = false;
        options.ScreamerDirectory = dir.filePath(QStringLiteral("commands"));
        options.ScreamerName = QStringLiteral("render-7");
        options.RemoteAllowCopy = true;
        options.RemoteUpdateAutomatic = true;
    }

    QString Out(int id) const { return dir.filePath(QStringLiteral("out/%1").arg(id)); }
    QString Dest(int id) const { return dir.filePath(QStringLiteral("dest/%1").arg(id)); }

    // A verified scene of frames 1 to 3 whose copy belongs to this installation; its frames
    // are on disk (RGB all, alpha 1 and 3) and its destination is there.
    TScene& Finished(int id)
    {
        auto scene = std::make_unique<TScene>();
        scene->ID = id;
        scene->Filename = QStringLiteral("/scenes/shot%1.lws").arg(id);
        scene->Settings.ContentDirectory = Out(id);
        scene->Settings.Range = true;
        scene->Settings.CurrentFirst = 1;
        scene->Settings.CurrentLast = 3;
        scene->Settings.CurrentStep = 1;
        scene->Data.OutputFilenameFormat = 3;
        scene->Data.SaveRGBImagesPrefix = QStringLiteral("rgb/shot");
        scene->Data.RGBImageSaver = QStringLiteral("LW_PNG(.png)");
        scene->Data.SaveAlphaImagesPrefix = QStringLiteral("alpha/shot_a");
        scene->Data.AlphaImageSaver = QStringLiteral("LW_PNG(.png)");
        scene->Verified = true;
        scene->Settings.AutomaticCopy = true;
        scene->Settings.AutomaticCopyComputer = QStringLiteral("render-7");
        scene->Settings.AutomaticCopyDirectory = Dest(id);
        EXPECT_TRUE(QDir().mkpath(Out(id) + QStringLiteral("/rgb")));
        EXPECT_TRUE(QDir().mkpath(Out(id) + QStringLiteral("/alpha")));
        EXPECT_TRUE(QDir().mkpath(Dest(id)));
        for (const int frame : { 1, 2, 3 })
            WriteBytes(
                scene->FrameFileName(frame, TFrameKind::RGB, QString()), "rgb " + QByteArray::number(frame));
        for (const int frame : { 1, 3 })
            WriteBytes(scene->FrameFileName(frame, TFrameKind::Alpha, QString()),
                "alpha " + QByteArray::number(frame));
        return master.Add(std::move(scene), false);
    }

    // The Master stores its queue; the Remote's next period reads it.
    void Publish() { ASSERT_TRUE(SaveSceneList(master, options.StateScenesFile())); }

    // One automatic period: the update, then the copies.
    void Period()
    {
        UpdateFromMaster(farm);
        CopyFinishedScenes(farm);
    }

    QStringList Copied(int id) const
    {
        QStringList names = QDir(Dest(id)).entryList(QDir::Files, QDir::Name);
        return names;
    }

    // Every command the Remote has sent so far, taken as the Master takes them.
    QList<TCommand> Sent()
    {
        QList<TCommand> commands;
        for (;;) {
            TCommand command;
            if (!ReadRemoteCommandFile(options, command))
                break;
            commands << command;
            farm.Outbox.Flush(options);
        }
        return commands;
    }

    QStringList ScenesCopiedSent()
    {
        QStringList ids;
        for (const TCommand& command : Sent())
            if (command.Command == ScenesCopied)
                ids << command.Arguments.value(0);
        return ids;
    }

    QStringList CopyEvents() const
    {
        QStringList comments;
        for (int i = 0; i < farm.Events.Count(); ++i) {
            const auto& event = farm.Events.Item(i);
            if (event.Type == CopyType) {
                EXPECT_EQ(event.Level, 1);
                EXPECT_EQ(event.Origin, QStringLiteral("Automatic"));
                comments << event.Comment;
            }
        }
        return comments;
    }

    QTemporaryDir dir;
    TOptions options;
    TScriptedPeople people;
    TManualClock clock;
    TFarm farm { options, people, clock };
    TSceneList master;
};

} // namespace

// The RGB and alpha frames land in the destination byte for byte; only then is the scene
// marked, reported to the Master and logged.
TEST_F(AutomaticCopy, CopiesBothKindsOfFramesAndThenReports)
{
    Finished(12);
    Publish();
    Period();

    EXPECT_EQ(Copied(12),
        QStringList({ "shot0001.png", "shot0002.png", "shot0003.png", "shot_a0001.png", "shot_a0003.png" }));
    EXPECT_EQ(ReadBytes(Dest(12) + QStringLiteral("/shot0002.png")), QByteArray("rgb 2"));
    EXPECT_EQ(ReadBytes(Dest(12) + QStringLiteral("/shot_a0003.png")), QByteArray("alpha 3"));
    ASSERT_EQ(farm.Scenes.Count(), 1);
    EXPECT_TRUE(farm.Scenes.Item(0).Copied);
    EXPECT_EQ(
        CopyEvents(), QStringList({ "Frames of scene shot12.lws copied/imported after they were rendered" }));

    const QList<TCommand> sent = Sent();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].Command, ProgramUpdate);
    EXPECT_EQ(sent[1].Command, ScenesCopied);
    EXPECT_EQ(sent[1].Arguments, QStringList({ "12" }));
    EXPECT_EQ(sent[1].SenderName, QStringLiteral("render-7"));
}

// Only verified, uncopied scenes naming exactly this installation are copied, and only while
// the Remote may copy at all.
TEST_F(AutomaticCopy, CopiesOnlyScenesThatAskThisInstallation)
{
    Finished(1).Verified = false;
    Finished(2).Settings.AutomaticCopyComputer = QStringLiteral("render-8");
    Finished(3).Settings.AutomaticCopyComputer = QStringLiteral("Render-7");
    Finished(4).Copied = true;
    Finished(5).Settings.AutomaticCopy = false;
    Finished(6);
    Publish();

    options.RemoteAllowCopy = false;
    Period();
    for (const int id : { 1, 2, 3, 4, 5, 6 })
        EXPECT_TRUE(Copied(id).isEmpty()) << id;
    EXPECT_TRUE(CopyEvents().isEmpty());

    options.RemoteAllowCopy = true;
    Period();
    for (const int id : { 1, 2, 3, 4, 5 })
        EXPECT_TRUE(Copied(id).isEmpty()) << id;
    EXPECT_EQ(Copied(6).size(), 5);
    EXPECT_EQ(ScenesCopiedSent(), QStringList({ "6" }));
    EXPECT_EQ(CopyEvents().size(), 1);
}

// A copy that fails sets nothing and sends nothing; each distinct failure is logged once, and
// the scene is copied at the first period that can.
TEST_F(AutomaticCopy, AFailedCopyIsTriedAgainAtTheNextPeriod)
{
    Finished(9);
    Publish();
    ASSERT_TRUE(QDir(Dest(9)).removeRecursively());

    Period();
    Period();
    QStringList events = CopyEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_TRUE(events[0].contains(QStringLiteral("shot9.lws"))) << events[0].toStdString();
    EXPECT_TRUE(events[0].contains(Dest(9))) << events[0].toStdString();
    EXPECT_TRUE(events[0].contains(QStringLiteral("not there"))) << events[0].toStdString();

    // The destination is back, but a directory stands where one frame goes.
    ASSERT_TRUE(QDir().mkpath(Dest(9) + QStringLiteral("/shot0002.png")));
    Period();
    Period();
    events = CopyEvents();
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[1].contains(QStringLiteral("1 frame files could not be copied")))
        << events[1].toStdString();
    EXPECT_TRUE(events[1].contains(Dest(9))) << events[1].toStdString();
    EXPECT_FALSE(farm.Scenes.Item(0).Copied);
    EXPECT_TRUE(ScenesCopiedSent().isEmpty());

    ASSERT_TRUE(QDir(Dest(9) + QStringLiteral("/shot0002.png")).removeRecursively());
    Period();
    EXPECT_EQ(Copied(9).size(), 5);
    EXPECT_TRUE(farm.Scenes.Item(0).Copied);
    EXPECT_EQ(ScenesCopiedSent(), QStringList({ "9" }));
    events = CopyEvents();
    ASSERT_EQ(events.size(), 3);
    EXPECT_TRUE(events[2].contains(QStringLiteral("copied/imported"))) << events[2].toStdString();
}

// The output directory gone (a share not mounted) is a failure, not an empty success.
TEST_F(AutomaticCopy, AnOutputDirectoryGoneIsNoCopy)
{
    Finished(4);
    Publish();
    ASSERT_TRUE(QDir(Out(4) + QStringLiteral("/alpha")).removeRecursively());
    Period();
    EXPECT_FALSE(farm.Scenes.Item(0).Copied);
    EXPECT_TRUE(ScenesCopiedSent().isEmpty());
    const QStringList events = CopyEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_TRUE(events[0].contains(Out(4) + QStringLiteral("/alpha"))) << events[0].toStdString();
}

// Until the Master has taken ScenesCopied its list still shows the scene uncopied; the Remote
// copies it once all the same. A scene started over and verified again is copied again, and
// a copy the Master knows of is never repeated, not even by a new start of the Remote.
TEST_F(AutomaticCopy, AReportedCopyIsNotRepeatedWhileTheMasterCatchesUp)
{
    Finished(5);
    Publish();
    Period();
    Period();
    Period();
    EXPECT_EQ(ScenesCopiedSent(), QStringList({ "5" }));
    EXPECT_EQ(CopyEvents().size(), 1);
    EXPECT_FALSE(farm.Scenes.Item(0).Copied);

    // The Master took the command.
    master.Item(0).Copied = true;
    Publish();
    Period();
    EXPECT_TRUE(farm.CopiesReported.isEmpty());
    {
        TFarm restarted(options, people, clock);
        UpdateFromMaster(restarted);
        CopyFinishedScenes(restarted);
        EXPECT_EQ(restarted.Events.Count(), 0);
    }

    // Started over on the Master: its frames are new and copied once verified again.
    ASSERT_TRUE(QDir(Dest(5)).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(Dest(5)));
    master.Item(0).Reset(clock.Now());
    Publish();
    Period();
    master.Item(0).Verified = true;
    Publish();
    Period();
    EXPECT_EQ(Copied(5).size(), 5);
    EXPECT_EQ(ScenesCopiedSent(), QStringList({ "5" }));
    EXPECT_EQ(CopyEvents().size(), 2);

    // A scene gone from the queue is forgotten.
    master.Clear();
    Publish();
    Period();
    EXPECT_TRUE(farm.CopiesReported.isEmpty());
}

namespace {

class TUpdateCounter : public TScriptedPeople
{
public:
    void SetStatus(TStatusPanel panel, const QString& text) override
    {
        if (panel == TStatusPanel::Clock && text.startsWith(QStringLiteral("Last Update")))
            ++Updates;
    }
    int Updates = 0;
};

} // namespace

// The Remote timer's period: a count up to RemoteUpdateAutomaticTime × 60 passes, the next tick
// updates and copies, so one period is that many minutes and two seconds; a time of 0 updates
// on every second tick. Without RemoteUpdateAutomatic nothing happens.
TEST_F(AutomaticCopy, TheRemoteTimerUpdatesAndCopiesOncePerPeriod)
{
    Finished(3);
    Publish();
    TUpdateCounter counter;
    options.RemoteUpdateAutomaticTime = 0;
    TController controller(options, counter, clock);
    const auto ticks = [&](int count) {
        for (int i = 0; i < count; ++i)
            controller.TimerRemoteTimer();
    };

    ticks(1);
    EXPECT_EQ(counter.Updates, 0);
    EXPECT_TRUE(Copied(3).isEmpty());
    ticks(1);
    EXPECT_EQ(counter.Updates, 1);
    EXPECT_EQ(Copied(3).size(), 5);
    ticks(4);
    EXPECT_EQ(counter.Updates, 3);

    options.RemoteUpdateAutomaticTime = 1;
    ticks(61);
    EXPECT_EQ(counter.Updates, 3);
    ticks(1);
    EXPECT_EQ(counter.Updates, 4);
    ticks(61);
    EXPECT_EQ(counter.Updates, 4);
    ticks(1);
    EXPECT_EQ(counter.Updates, 5);

    options.RemoteUpdateAutomatic = false;
    ticks(200);
    EXPECT_EQ(counter.Updates, 5);
}

// A reader that must not show half a farm reads the state files whole or not at all, and says
// which file is wrong and what to check.
TEST(RemoteUpdate, StateFilesReadWholeOrNotAtAll)
{
    QTemporaryDir directory;
    TOptions options;
    options.ScreamerDirectory = JoinPath(directory.path(), QStringLiteral("commands"));
    TSceneList scenes;
    TComputerList computers;
    QString error;
    EXPECT_FALSE(ReadStateFilesWhole(options, scenes, computers, error));
    EXPECT_TRUE(error.contains(QStringLiteral("is not there; check that its share is mounted")))
        << qPrintable(error);

    ASSERT_TRUE(QDir().mkpath(options.ScreamerDirectory));
    EXPECT_FALSE(ReadStateFilesWhole(options, scenes, computers, error));
    EXPECT_TRUE(error.contains(QStringLiteral("holds no lists of a Master"))) << qPrintable(error);

    TSceneList master;
    for (const char* file : { "/scenes/a.lws", "/scenes/b.lws" }) {
        auto scene = std::make_unique<TScene>();
        scene->Filename = QLatin1StringView(file);
        master.Add(std::move(scene), true);
    }
    TComputerList nodes;
    auto node = std::make_unique<TComputer>();
    node->Number = 3;
    nodes.Add(std::move(node));
    // A Master with an empty queue has stored only its nodes.
    ASSERT_TRUE(nodes.SaveToFile(options.StateComputersFile()));
    ASSERT_TRUE(ReadStateFilesWhole(options, scenes, computers, error)) << qPrintable(error);
    EXPECT_EQ(scenes.Count(), 0);
    EXPECT_EQ(computers.Count(), 1);
    ASSERT_TRUE(SaveSceneList(master, options.StateScenesFile()));
    ASSERT_TRUE(ReadStateFilesWhole(options, scenes, computers, error)) << qPrintable(error);
    EXPECT_EQ(scenes.Count(), 2);
    EXPECT_EQ(computers.Count(), 1);

    // Cut short in the second record: nothing of it is taken, the lists stay as they were.
    QStringList lines;
    ASSERT_TRUE(ReadTextLines(options.StateScenesFile(), lines));
    const QStringList whole = lines;
    ASSERT_TRUE(WriteTextLines(options.StateScenesFile(), lines.mid(0, lines.size() - 3)));
    EXPECT_FALSE(ReadStateFilesWhole(options, scenes, computers, error));
    EXPECT_TRUE(error.contains(QStringLiteral("StateScenes.lst could not be read whole")))
        << qPrintable(error);
    EXPECT_EQ(scenes.Count(), 2);

    // A count that promises more than the file holds, and garbage after the last record.
    lines = whole;
    lines[0] = QStringLiteral("3");
    ASSERT_TRUE(WriteTextLines(options.StateScenesFile(), lines));
    EXPECT_FALSE(ReadStateFilesWhole(options, scenes, computers, error));
    lines = whole;
    lines << QStringLiteral("garbage");
    ASSERT_TRUE(WriteTextLines(options.StateScenesFile(), lines));
    EXPECT_FALSE(ReadStateFilesWhole(options, scenes, computers, error));

    ASSERT_TRUE(WriteTextLines(options.StateScenesFile(), whole));
    ASSERT_TRUE(
        WriteTextLines(options.StateComputersFile(), { QStringLiteral("2"), QStringLiteral("[Computer1]") }));
    EXPECT_FALSE(ReadStateFilesWhole(options, scenes, computers, error));
    EXPECT_TRUE(error.contains(QStringLiteral("StateComputers.lst could not be read whole")))
        << qPrintable(error);
    EXPECT_EQ(computers.Count(), 1);
}
