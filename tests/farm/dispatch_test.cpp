#include "farm/controller.h"
#include "model/node_channel.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/text_file.h"

#include "scripted_people.h"
#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>
#include <map>

namespace {

// A render node played by the test: it answers each new job once, writes an acknowledgement
// only after the Master took the previous one, and "renders" by counting frames per scene copy.
struct TSimulatedNode
{
    int Number = 0;
    QString LastJob;
    QString Loaded;
    QString Piece;
    QString LastAck;
    bool Rendering = false;
    bool Gone = false;
};

class DispatchFarm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Options.Master = true;
        Options.ScreamerDirectory = Directory.path();
        Options.MasterScreamerFrames = 2;
        Options.MasterRenderInterval = 1000;
        Options.MasterScreamerComputers = 2;
        Options.ScreamerName = QStringLiteral("Lead");
        Controller = std::make_unique<TController>(Options, People, Clock);
        // The one-frame scene counts as finished the moment its piece is taken.
        AddScene(QStringLiteral("one"), 5, 5, 3);
        AddScene(QStringLiteral("many"), 1, 8, 2);
        for (int number : { 1, 2 }) {
            auto computer = std::make_unique<TComputer>();
            computer->Number = number;
            computer->StateString = AckReady;
            Farm().Computers.Add(std::move(computer));
            Nodes[number] = TSimulatedNode { number, {}, {}, {}, AckReady, false, false };
            WriteAck(number, AckReady);
        }
    }

    TFarm& Farm() { return Controller->Farm(); }

    void AddScene(const QString& name, int first, int last, int priority)
    {
        auto scene = std::make_unique<TScene>();
        scene->Filename = QStringLiteral("/scenes/") + name + QStringLiteral(".lws");
        scene->KestrionFilename = QStringLiteral("/scenes/") + name + QStringLiteral(".lns");
        scene->Settings.Range = true;
        scene->Settings.CurrentFirst = first;
        scene->Settings.CurrentLast = last;
        scene->Settings.Priority = priority;
        scene->Settings.AutomaticVerify = false;
        scene->Reset(Clock.Now());
        Farm().Scenes.Add(std::move(scene), true);
    }

    void WriteAck(int number, const QString& state)
    {
        ASSERT_TRUE(WriteTextLines(AckFileName(Options, number), { state, QString() }));
    }

    // One poll of the node: acts on a new job, then finishes a render in progress.
    void Step(TSimulatedNode& node)
    {
        if (node.Gone)
            return;
        QStringList job;
        ReadTextLines(JobFileName(Options, node.Number), job);
        const QString text = job.join(u'|');
        const bool ackTaken = !QFile::exists(AckFileName(Options, node.Number));
        if (job.value(0) == QStringLiteral("quit")) {
            WriteAck(node.Number, AckOffline);
            node.Gone = true;
            return;
        }
        if (!ackTaken)
            return;
        if (node.Rendering) {
            for (const QString& frame : PieceFrames(node.Piece).split(u' '))
                ++Rendered[node.Loaded][frame.toInt()];
            node.Rendering = false;
            Answer(node, AckReady);
            return;
        }
        if (text == node.LastJob)
            return;
        node.LastJob = text;
        const QString word = job.value(0);
        if (word == QStringLiteral("content"))
            Answer(node, AckSettingContent);
        else if (word == QStringLiteral("load")) {
            node.Loaded = job.value(1);
            Answer(node, AckLoading);
        } else if (word == QStringLiteral("render")) {
            node.Piece = job.value(1);
            node.Rendering = true;
            Answer(node, QStringLiteral("Rendering frame ") + node.Piece.section(u' ', 0, 0));
        } else if (word == QStringLiteral("wait") && node.LastAck != AckReady)
            Answer(node, AckReady);
    }

    void Answer(TSimulatedNode& node, const QString& state)
    {
        node.LastAck = state;
        WriteAck(node.Number, state);
    }

    void Tick()
    {
        Clock.AdvanceSeconds(1);
        Controller->TimerMasterTimer();
    }

    // Ticks until node 1 is in `state`, the other node only watching.
    void BringNodeOneTo(TNodeState state)
    {
        for (int i = 0; i < 20 && Farm().Computers.FindByNumber(1)->StateCode() != state; ++i) {
            Tick();
            if (Farm().Computers.FindByNumber(1)->StateCode() != state)
                Step(Nodes[1]);
        }
        ASSERT_EQ(Farm().Computers.FindByNumber(1)->StateCode(), state);
    }

    void RunToEnd()
    {
        for (int i = 0; i < 200 && !(Farm().Scenes.AllFinished() && AllBooked()); ++i) {
            Tick();
            for (auto& [number, node] : Nodes)
                Step(node);
        }
    }

    bool AllBooked() const
    {
        for (int i = 0; i < Controller->Farm().Computers.Count(); ++i)
            if (!Controller->Farm().Computers.Item(i).Frames.isEmpty())
                return false;
        return true;
    }

    // Every frame rendered once, from the copy of its own scene.
    // Every frame rendered once, from the copy of its own scene; `skipped` frames of the
    // `skippedCopy` never.
    void ExpectEachFrameOnce(const QString& skippedCopy = {}, const QList<int>& skipped = {})
    {
        std::map<QString, std::map<int, int>> expected;
        expected[QStringLiteral("/scenes/one.lns")][5] = 1;
        for (int frame = 1; frame <= 8; ++frame)
            expected[QStringLiteral("/scenes/many.lns")][frame] = 1;
        for (int frame : skipped)
            expected[skippedCopy].erase(frame);
        for (const auto& [copy, frames] : expected)
            EXPECT_EQ(Rendered[copy], frames) << copy.toStdString();
    }

    QTemporaryDir Directory;
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    std::unique_ptr<TController> Controller;
    std::map<int, TSimulatedNode> Nodes;
    std::map<QString, std::map<int, int>> Rendered;
};

TEST_F(DispatchFarm, TwoNodesRenderEveryFrameOnceFromItsOwnScene)
{
    // Scenes without a content directory of their own render in the Master's.
    Options.ContentDirectory = QStringLiteral("/farm/content");
    Tick();
    QStringList job;
    ReadTextLines(JobFileName(Options, 1), job);
    EXPECT_EQ(job.mid(0, 2), QStringList({ "content", "/farm/content" }));
    RunToEnd();
    ExpectEachFrameOnce();
    EXPECT_TRUE(Farm().Scenes.AllFinished());
}

enum class TLeave
{
    OfflineAck,
    Kill,
    CrashedRenderAgain,
    CrashedNotAgain,
    ProcessEnded
};

struct TLeaveCase
{
    TNodeState State;
    TLeave Leave;
};

class DispatchLeave : public DispatchFarm, public ::testing::WithParamInterface<TLeaveCase>
{
};

// Whatever state node 1 is in and whichever road it leaves by, its piece is rendered by node 2
// exactly once, unless the user chose not to render it again.
TEST_P(DispatchLeave, PieceIsHandedBackOnce)
{
    const TLeaveCase leave = GetParam();
    BringNodeOneTo(leave.State);
    const QString piece = Farm().Computers.FindByNumber(1)->Frames;
    const QString copy = Farm().Scenes.SceneOfNode(*Farm().Computers.FindByNumber(1))->KestrionFilename;
    ASSERT_FALSE(piece.isEmpty());
    People.Answer = true;
    switch (leave.Leave) {
    case TLeave::OfflineAck:
        DeleteAck(Options, 1);
        WriteAck(1, AckOffline);
        Nodes[1].Gone = true;
        break;
    case TLeave::Kill:
        ASSERT_TRUE(Controller->Discovery().Kill({ 1 }));
        EXPECT_EQ(Farm().Computers.FindByNumber(1)->StateString, StateDying);
        break;
    case TLeave::CrashedRenderAgain:
    case TLeave::CrashedNotAgain:
        People.CheckAnswer = leave.Leave == TLeave::CrashedRenderAgain;
        ASSERT_TRUE(Controller->Discovery().MarkCrashed({ 1 }));
        Nodes[1].Gone = true;
        break;
    case TLeave::ProcessEnded: {
        auto screamer = std::make_unique<TScreamer>();
        screamer->Number = 1;
        screamer->Started = true;
        screamer->Process.ProcessId = 999999999; // no such process
        Farm().Screamers.Add(std::move(screamer));
        Controller->TimerGeneralTimer();
        Nodes[1].Gone = true;
        break;
    }
    }
    RunToEnd();
    EXPECT_EQ(Farm().Computers.FindByNumber(1), nullptr);
    QList<int> skipped;
    if (leave.Leave == TLeave::CrashedNotAgain)
        for (const QString& frame : PieceFrames(piece).split(u' '))
            skipped << frame.toInt();
    ExpectEachFrameOnce(copy, skipped);
}

INSTANTIATE_TEST_SUITE_P(EveryStateAndRoad, DispatchLeave,
    ::testing::Values(TLeaveCase { TNodeState::NextFrame, TLeave::OfflineAck },
        TLeaveCase { TNodeState::SettingContent, TLeave::OfflineAck },
        TLeaveCase { TNodeState::Loading, TLeave::OfflineAck },
        TLeaveCase { TNodeState::Rendering, TLeave::OfflineAck },
        TLeaveCase { TNodeState::NextFrame, TLeave::Kill },
        TLeaveCase { TNodeState::SettingContent, TLeave::Kill },
        TLeaveCase { TNodeState::Loading, TLeave::Kill }, TLeaveCase { TNodeState::Rendering, TLeave::Kill },
        TLeaveCase { TNodeState::SettingContent, TLeave::CrashedRenderAgain },
        TLeaveCase { TNodeState::Rendering, TLeave::CrashedRenderAgain },
        TLeaveCase { TNodeState::Rendering, TLeave::CrashedNotAgain },
        TLeaveCase { TNodeState::Loading, TLeave::ProcessEnded },
        TLeaveCase { TNodeState::Rendering, TLeave::ProcessEnded }));

TEST_F(DispatchFarm, FailedJobWriteLeavesNodeReadyAndFramesInTheScene)
{
    // A directory in the job file's place makes every write fail.
    ASSERT_TRUE(QDir(Directory.path()).mkdir(QStringLiteral("Job1")));
    Tick();
    const TComputer& node = *Farm().Computers.FindByNumber(1);
    EXPECT_EQ(node.StateString, AckReady);
    EXPECT_TRUE(node.Frames.isEmpty());
    EXPECT_EQ(node.SceneStamp, 0);
    // Node 2 was still served in the same tick.
    EXPECT_EQ(Farm().Computers.FindByNumber(2)->StateString, StateNextFrame);
    ASSERT_TRUE(QDir(Directory.path()).rmdir(QStringLiteral("Job1")));
    RunToEnd();
    ExpectEachFrameOnce();
}

TEST_F(DispatchFarm, DyingNodeIgnoresEverythingButOffline)
{
    BringNodeOneTo(TNodeState::Rendering);
    People.Answer = true;
    ASSERT_TRUE(Controller->Discovery().Kill({ 1 }));
    WriteAck(1, AckReady);
    Tick();
    const TComputer& node = *Farm().Computers.FindByNumber(1);
    EXPECT_EQ(node.StateString, StateDying);
    QStringList job;
    ReadTextLines(JobFileName(Options, 1), job);
    EXPECT_EQ(job.value(0), QStringLiteral("quit"));
    // Killing an already gone node sends nothing.
    Farm().Computers.FindByNumber(2)->StateString = AckOffline;
    DeleteAck(Options, 2);
    ASSERT_TRUE(Controller->Discovery().Kill({ 2 }));
    EXPECT_EQ(Farm().Computers.FindByNumber(2)->StateString, AckOffline);
}

TEST_F(DispatchFarm, SceneRemovedWhileLoadingVoidsThePiece)
{
    BringNodeOneTo(TNodeState::SettingContent);
    const int id = Farm().Computers.FindByNumber(1)->SceneId;
    Farm().Scenes.Remove(Farm().Scenes.IndexOfID(id));
    Tick();
    const TComputer& node = *Farm().Computers.FindByNumber(1);
    EXPECT_TRUE(node.Frames.isEmpty());
    EXPECT_TRUE(node.SceneString.isEmpty());
    QStringList job;
    ReadTextLines(JobFileName(Options, 1), job);
    EXPECT_EQ(job.value(0), QStringLiteral("wait"));
}

TEST_F(DispatchFarm, RestartFindsThePieceSceneByFileName)
{
    BringNodeOneTo(TNodeState::Rendering);
    TComputer& node = *Farm().Computers.FindByNumber(1);
    // The computer file keeps no scene ID.
    node.SceneId = 0;
    const QString piece = node.Frames;
    Farm().HandBackPiece(node);
    EXPECT_TRUE(node.Frames.isEmpty());
    const TScene* scene = Farm().Scenes.SceneOfNode(node);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->Settings.MissingList, PieceFrames(piece));
}

TEST_F(DispatchFarm, RescanPeriodAndRegistration)
{
    Options.MasterRenderInterval = 7000;
    Controller->Dispatch().RescanCounter = 42;
    Tick();
    EXPECT_EQ(Controller->Dispatch().RescanCounter, 43);
    Tick();
    EXPECT_EQ(Controller->Dispatch().RescanCounter, 0);
    // Numbers 1 and 2 are registered; the rescan asked nobody else (MasterScreamerComputers is 2).
    Options.MasterScreamerComputers = 3;
    Controller->Discovery().Rescan();
    QStringList job;
    ASSERT_TRUE(ReadTextLines(JobFileName(Options, 3), job));
    EXPECT_EQ(job.value(0), QStringLiteral("init"));
    ASSERT_TRUE(WriteTextLines(AckFileName(Options, 3), { AckInitializing, QStringLiteral("Alpha") }));
    Controller->TimerMasterRescanTimer();
    const TComputer* found = Farm().Computers.FindByNumber(3);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->CPU, QStringLiteral("Alpha"));
    EXPECT_EQ(found->Name, QStringLiteral("Unknown"));
    EXPECT_EQ(Farm().Events.Item(Farm().Events.Count() - 1).Comment, QStringLiteral("1 extra found."));
}

} // namespace

namespace {

class DispatchHeld : public DispatchFarm, public ::testing::WithParamInterface<const char*>
{
};

// Node 1 holds frames 7 and 8 in whatever state: they are never queued again while it holds them,
// so no false "missing frames" event uses up a verification and no second node writes them.
TEST_P(DispatchHeld, VerificationLeavesHeldPiecesAlone)
{
    // "one" is done; "many" has every piece out, node 1 still holds 7 and 8.
    Farm().Scenes.Remove(Farm().Scenes.IndexOfID(Farm().Scenes.Item(0).ID));
    TScene& scene = Farm().Scenes.Item(0);
    scene.Settings.AutomaticVerify = true;
    scene.Data.SaveRGBImagesPrefix = Directory.filePath(QStringLiteral("f_"));
    scene.Data.OutputFilenameFormat = 0;
    while (!scene.NextFramesText(2).isEmpty()) { }
    for (int frame = 2; frame <= 6; ++frame)
        WriteBytes(scene.FrameFileName(frame, TFrameKind::RGB, QString()), "x");
    TComputer& node = *Farm().Computers.FindByNumber(1);
    node.StateString = QString::fromLatin1(GetParam());
    node.Frames = QStringLiteral("7 8 1");
    node.SceneString = scene.Filename;
    node.SceneId = scene.ID;
    const bool offline = node.StateCode() == TNodeState::Offline;
    Options.MasterScenesVerify = true;
    DeleteAck(Options, 1);
    DeleteAck(Options, 2);
    Tick();
    // Only frame 1 went back, and idle node 2 took it in the same tick.
    EXPECT_EQ(Farm().Computers.FindByNumber(2)->Frames, QStringLiteral("1 1 1"));
    EXPECT_FALSE(scene.Verified);
    EXPECT_EQ(scene.VerifyTimes, 1);
    // Said before node 2 took the frame (the first piece the Master itself handed out).
    EXPECT_EQ(Farm().Events.Item(Farm().Events.Count() - 2).Comment,
        QStringLiteral("many.lws verified and 1 missing frames added to renderlist."));
    if (offline) {
        // Gone now, its piece handed back once.
        EXPECT_EQ(Farm().Computers.FindByNumber(1), nullptr);
        EXPECT_EQ(scene.Settings.MissingList, QStringLiteral("7 8"));
    } else {
        EXPECT_EQ(Farm().Computers.FindByNumber(1)->Frames, QStringLiteral("7 8 1"));
        EXPECT_TRUE(scene.Settings.MissingList.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryState, DispatchHeld,
    ::testing::Values(
        "Next Frame", "Setting content directory", "Loading", "Rendering frame 7", "Offline", "Dying"));

// An answer no node gives (garbage, a file half written) is left where it is and changes nothing;
// the node's real answer that replaces it books the piece as usual.
TEST_F(DispatchFarm, GarbageAckDuringARenderChangesNothing)
{
    BringNodeOneTo(TNodeState::Rendering);
    const TComputer before = *Farm().Computers.FindByNumber(1);
    for (const QByteArray& garbage : { QByteArray("Rend"), QByteArray("\x01\xff\xfe\r\nx86"),
             QByteArray("Next Frame"), QByteArray("Dying\r\n") }) {
        WriteBytes(AckFileName(Options, 1), garbage);
        Tick();
        const TComputer& node = *Farm().Computers.FindByNumber(1);
        EXPECT_EQ(node.StateString, before.StateString) << garbage.constData();
        EXPECT_EQ(node.Frames, before.Frames);
        EXPECT_EQ(ReadBytes(AckFileName(Options, 1)), garbage);
    }
    // The node writes its answer over the garbage.
    DeleteAck(Options, 1);
    Step(Nodes[1]);
    Tick();
    EXPECT_EQ(Farm().Computers.FindByNumber(1)->RenderCount, 1);
    RunToEnd();
    ExpectEachFrameOnce();
}

TEST_F(DispatchFarm, RenderLogHasOneLinePerPieceAndBookedTimesAreNeverNegative)
{
    for (int i = 0; i < Farm().Scenes.Count(); ++i) {
        Farm().Scenes.Item(i).Settings.Log = true;
        Farm().Scenes.Item(i).Settings.LogFilename = Directory.filePath(QStringLiteral("render.log"));
    }
    BringNodeOneTo(TNodeState::Rendering);
    // The clock is set back an hour while node 1 renders.
    Clock.AdvanceSeconds(-3600);
    Step(Nodes[1]);
    Tick();
    EXPECT_EQ(Farm().Computers.FindByNumber(1)->LastRenderTime, 0.0);
    RunToEnd();
    QStringList log;
    ASSERT_TRUE(ReadTextLines(Directory.filePath(QStringLiteral("render.log")), log));
    // One piece of "one" and four pieces of two frames of "many".
    EXPECT_EQ(log.size(), 5);
    for (int i = 0; i < Farm().Scenes.Count(); ++i)
        EXPECT_GE(Farm().Scenes.Item(i).Statistics.RenderTimeTotal, 0.0);

    // A log that cannot be written is said, and the other nodes are still served.
    for (int i = 0; i < Farm().Scenes.Count(); ++i) {
        Farm().Scenes.Item(i).Settings.LogFilename
            = Directory.filePath(QStringLiteral("no/such/dir/render.log"));
        Farm().Scenes.Item(i).Reset(Clock.Now());
    }
    RunToEnd();
    bool said = false;
    for (int i = 0; i < Farm().Events.Count(); ++i)
        said = said || Farm().Events.Item(i).Type == QStringLiteral("Render Log");
    EXPECT_TRUE(said);
    EXPECT_TRUE(Farm().Scenes.AllFinished());
}

} // namespace

// A scene started over while a node renders a piece of it: the other node never gets the
// frames the first still holds, and every frame is rendered again from the new start.
TEST_F(DispatchFarm, SceneStartedOverWhileRenderingNeverPutsTwoNodesOnOneFrame)
{
    const auto nodeOnFirstPiece = [this] {
        for (int i = 0; i < Farm().Computers.Count(); ++i) {
            const TComputer& node = Farm().Computers.Item(i);
            if (node.StateCode() == TNodeState::Rendering
                && node.SceneString.endsWith(QStringLiteral("many.lws"))
                && node.Frames == QStringLiteral("1 2 1"))
                return node.Number;
        }
        return 0;
    };
    int slow = 0;
    for (int i = 0; i < 40 && !slow; ++i) {
        Tick();
        // Caught before it finishes its render.
        slow = nodeOnFirstPiece();
        for (auto& [number, node] : Nodes)
            if (number != slow)
                Step(node);
    }
    ASSERT_NE(slow, 0);
    TScene* many = nullptr;
    for (int i = 0; i < Farm().Scenes.Count(); ++i)
        if (Farm().Scenes.Item(i).Filename.endsWith(QStringLiteral("many.lws")))
            many = &Farm().Scenes.Item(i);
    ASSERT_TRUE(many);
    many->Reset(Clock.Now());
    Rendered.clear();

    const auto noFrameTwice = [this] {
        std::map<QString, QString> held;
        for (int i = 0; i < Farm().Computers.Count(); ++i) {
            const TComputer& node = Farm().Computers.Item(i);
            if (node.Frames.isEmpty())
                continue;
            const QString frames = PieceFrames(node.Frames);
            QString& ofScene = held[node.SceneString];
            if (WithoutNumbers(frames, ofScene) != CleanNumberList(frames))
                return false;
            ofScene = AddNewNumbers(ofScene, frames);
        }
        return true;
    };
    // The slow node renders on while the other one works through the scene.
    for (int i = 0; i < 30; ++i) {
        Tick();
        ASSERT_TRUE(noFrameTwice());
        for (auto& [number, node] : Nodes)
            if (number != slow)
                Step(node);
    }
    for (int i = 0; i < 200 && !(Farm().Scenes.AllFinished() && AllBooked()); ++i) {
        Tick();
        ASSERT_TRUE(noFrameTwice());
        for (auto& [number, node] : Nodes)
            Step(node);
    }
    EXPECT_TRUE(Farm().Scenes.AllFinished());
    // The frames the slow node held are rendered again after it, from the new start.
    for (int frame = 1; frame <= 8; ++frame)
        EXPECT_GE(Rendered[QStringLiteral("/scenes/many.lns")][frame], frame <= 2 ? 2 : 1) << frame;
}

// A highest node number typed far too large scans only as far as the overview reaches.
TEST(Rescan, ScansNoFurtherThanTheOverviewReaches)
{
    TOptions options;
    options.MasterScreamerComputers = 9;
    EXPECT_EQ(HighestScreamerNumber(options), 9);
    options.MasterScreamerComputers = std::numeric_limits<int>::max();
    EXPECT_EQ(HighestScreamerNumber(options), OverviewItemLimit);
}

namespace {

// The Master's own words on its scenes, in the order said.
QStringList SceneStory(const TFarm& farm)
{
    QStringList story;
    for (int i = 0; i < farm.Events.Count(); ++i) {
        const TEvent& event = farm.Events.Item(i);
        if (event.Origin == QStringLiteral("Master") && event.Type.startsWith(QStringLiteral("Scenes")))
            story << event.Comment;
    }
    return story;
}

class DispatchStory : public DispatchFarm
{
protected:
    void SetUp() override
    {
        DispatchFarm::SetUp();
        for (int i = 0; i < Farm().Scenes.Count(); ++i) {
            TScene& scene = Farm().Scenes.Item(i);
            scene.Settings.AutomaticVerify = true;
            scene.Data.SaveRGBImagesPrefix = Directory.filePath(ExtractName(scene.Filename).first(3) + u'_');
            scene.Data.OutputFilenameFormat = 0;
            for (int frame = scene.Settings.CurrentFirst; frame <= scene.Settings.CurrentLast; ++frame)
                WriteFrame(scene, frame);
        }
    }

    // Below "one", whose priority is higher.
    TScene& Many() { return Farm().Scenes.Item(1); }
    QString FramePath(const TScene& scene, int frame)
    {
        return scene.FrameFileName(frame, TFrameKind::RGB, QString());
    }
    void WriteFrame(const TScene& scene, int frame) { WriteBytes(FramePath(scene, frame), "x"); }

    // Renders and ticks until `many` is verified; the moment it was.
    TDateTime RunUntilVerified()
    {
        for (int i = 0; i < 50 && !Many().Verified; ++i) {
            Tick();
            for (auto& [number, node] : Nodes)
                Step(node);
        }
        EXPECT_TRUE(Many().Verified);
        return Clock.Now();
    }
};

// Each scene tells when its first piece went out, when its last frame came back and when it
// was found whole; started over, it tells it again, and a verification that finds frames
// missing is no "verified".
TEST_F(DispatchStory, TheMasterTellsEachScenesStoryOncePerOccasion)
{
    Tick();
    const TDateTime started = Clock.Now();
    const TDateTime verified = RunUntilVerified();
    const QString time = DurationText(verified - started);
    QStringList story = SceneStory(Farm());
    // "one" is a single frame, verified before the end of "many".
    ASSERT_EQ(story.size(), 6) << story.join(u'\n').toStdString();
    EXPECT_TRUE(story[3].startsWith(QStringLiteral("one.lws verified: 1 frame in 00:00:0")));
    story[3] = QStringLiteral("(time)");
    EXPECT_EQ(story,
        QStringList({ "one.lws started rendering", "many.lws started rendering", "one.lws: last frame booked",
            "(time)", "many.lws: last frame booked", "many.lws verified: 8 frames in " + time }))
        << story.join(u'\n').toStdString();
    // Records keep the start, so a Master started again tells the right time.
    QStringList lines;
    WriteRecord(Many(), lines);
    TScene read;
    qsizetype index = 0;
    ReadRecord(read, lines, index);
    EXPECT_EQ(read.Statistics.RenderStarted, Many().Statistics.RenderStarted);

    // Started over with a frame gone from the disk.
    Many().Reset(Clock.Now());
    ASSERT_TRUE(QFile::remove(FramePath(Many(), 3)));
    for (int i = 0; i < 50 && Many().VerifyTimes == 0; ++i) {
        Tick();
        for (auto& [number, node] : Nodes)
            Step(node);
    }
    story = SceneStory(Farm()).mid(6);
    EXPECT_EQ(story,
        QStringList({ "many.lws started rendering", "many.lws: last frame booked",
            "many.lws verified and 1 missing frames added to renderlist." }))
        << story.join(u'\n').toStdString();
    // The frame rendered again brings the scene home: booked and verified, not started again.
    WriteFrame(Many(), 3);
    RunUntilVerified();
    story = SceneStory(Farm()).mid(9);
    ASSERT_EQ(story.size(), 2) << story.join(u'\n').toStdString();
    EXPECT_EQ(story[0], QStringLiteral("many.lws: last frame booked"));
    EXPECT_TRUE(story[1].startsWith(QStringLiteral("many.lws verified: 8 frames in ")))
        << story[1].toStdString();
}

// Between ticks the nodes that answered are served as a tick would serve them, and nobody else.
TEST_F(DispatchFarm, AnswersBetweenTicksAreServedByTheTicksOwnSteps)
{
    BringNodeOneTo(TNodeState::Rendering);
    TComputer& one = *Farm().Computers.FindByNumber(1);
    const QString piece = one.Frames;
    // Node 2 renders too and says nothing new: its job is not touched.
    for (int i = 0; i < 10 && Farm().Computers.FindByNumber(2)->StateCode() != TNodeState::Rendering; ++i) {
        Step(Nodes[2]);
        Controller->Dispatch().ServeAnswers();
    }
    WriteBytes(JobFileName(Options, 2), "untouched");
    const int ticks = Controller->Dispatch().RescanCounter;

    // Node 1 finishes: booked and given its next piece without a tick, and shown at once.
    Step(Nodes[1]);
    People.Refreshed.clear();
    EXPECT_FALSE(Controller->Dispatch().ServeAnswers());
    EXPECT_TRUE(People.Refreshed.contains(TView::Scenes));
    EXPECT_TRUE(People.Refreshed.contains(TView::Computers));
    EXPECT_EQ(one.RenderCount, 1);
    EXPECT_EQ(one.StateString, StateNextFrame);
    EXPECT_NE(one.Frames, piece);
    EXPECT_EQ(ReadBytes(JobFileName(Options, 2)), QByteArray("untouched"));
    EXPECT_EQ(Controller->Dispatch().RescanCounter, ticks);

    // The old "Ready" seen again before the node took its job gives no second piece.
    const QString next = one.Frames;
    WriteAck(1, AckReady);
    Controller->Dispatch().ServeAnswers();
    EXPECT_EQ(one.Frames, next);
    EXPECT_EQ(one.StateString, StateNextFrame);
    EXPECT_TRUE(QFile::exists(AckFileName(Options, 1)));
    DeleteAck(Options, 1);

    // An ack still being written is left for another look.
    WriteBytes(AckFileName(Options, 1), "");
    EXPECT_TRUE(Controller->Dispatch().ServeAnswers());
    EXPECT_EQ(one.StateString, StateNextFrame);
    DeleteAck(Options, 1);

    // An "Offline" node waits for the tick to take it out; what its number says meanwhile is left.
    WriteAck(2, AckOffline);
    Nodes[2].Gone = true;
    People.Refreshed.clear();
    Controller->Dispatch().ServeAnswers();
    EXPECT_EQ(Farm().Computers.FindByNumber(2)->StateString, AckOffline);
    // Each pass shows what it changed, though the lists wait for the tick.
    EXPECT_TRUE(People.Refreshed.contains(TView::Computers));
    WriteAck(2, AckInitializing);
    Controller->Dispatch().ServeAnswers();
    EXPECT_EQ(Farm().Computers.FindByNumber(2)->StateString, AckOffline);
    Tick();
    EXPECT_EQ(Farm().Computers.FindByNumber(2), nullptr);

    // Passes alone, a tick now and then, render every frame once; node 2's piece is rendered by
    // node 1.
    for (int i = 0; i < 400 && !(Farm().Scenes.AllFinished() && AllBooked()); ++i) {
        for (auto& [number, node] : Nodes)
            Step(node);
        Controller->Dispatch().ServeAnswers();
        if (i % 10 == 9)
            Tick();
    }
    ExpectEachFrameOnce();
}

// A pass never runs inside a tick (a message box of the tick turns the event loop) nor a tick
// inside a pass; the pass asked for meanwhile follows the tick, and nothing runs unless this
// Master drives.
TEST_F(DispatchFarm, PassAndTickNeverRunInsideEachOther)
{
    Options.EventsFile = true;
    Options.EventsFileName = Directory.filePath(QStringLiteral("no/such/dir/events.txt"));
    int nested = 0;
    People.WhileAsking = [&] {
        ++nested;
        const TComputer before = *Farm().Computers.FindByNumber(2);
        const int counter = Controller->Dispatch().RescanCounter;
        Controller->AckPass();
        Controller->TimerMasterTimer();
        EXPECT_EQ(Farm().Computers.FindByNumber(2)->StateString, before.StateString);
        EXPECT_EQ(Controller->Dispatch().RescanCounter, counter);
    };
    // Node 1's first piece makes the tick say "started rendering" while node 2 still waits.
    Tick();
    EXPECT_GT(nested, 0);
    EXPECT_TRUE(Controller->AckWatch().PassPending());
    // A pass that has something to say (a job file it cannot write) lets no tick in either.
    const int asked = nested;
    ASSERT_TRUE(QFile::remove(JobFileName(Options, 1)));
    ASSERT_TRUE(QDir(Directory.path()).mkdir(QStringLiteral("Job1")));
    WriteAck(1, AckSettingContent);
    Controller->AckWatch().Stop();
    Controller->AckPass();
    EXPECT_GT(nested, asked);
    EXPECT_EQ(Farm().Computers.FindByNumber(1)->StateCode(), TNodeState::SettingContent);
    EXPECT_TRUE(Controller->AckWatch().PassPending());
    People.WhileAsking = nullptr;
    ASSERT_TRUE(QDir(Directory.path()).rmdir(QStringLiteral("Job1")));

    // Given way to another Master: answers wait, untouched.
    WriteAck(1, AckLoading);
    Farm().Driving = false;
    Controller->AckPass();
    EXPECT_EQ(Farm().Computers.FindByNumber(1)->StateCode(), TNodeState::SettingContent);
    EXPECT_TRUE(QFile::exists(AckFileName(Options, 1)));
}

// A real ack is noticed without a tick; the commands directory may go away and come back.
TEST_F(DispatchFarm, TheWatchHearsAnAckWithoutATick)
{
    Options.MasterWatchAcks = true;
    BringNodeOneTo(TNodeState::Rendering);
    ASSERT_TRUE(Controller->AckWatch().Watching());
    const auto answered = [this] {
        Step(Nodes[1]);
        return QTest::qWaitFor([this] { return Farm().Computers.FindByNumber(1)->RenderCount == 1; }, 5000);
    };
    // The directory goes (a share away) and comes back while node 1 renders.
    const QString path = Directory.path();
    ASSERT_TRUE(QDir(path).removeRecursively());
    Tick();
    EXPECT_FALSE(Controller->AckWatch().Watching());
    ASSERT_TRUE(QDir().mkpath(path));
    Tick();
    EXPECT_TRUE(Controller->AckWatch().Watching());
    EXPECT_TRUE(answered());
    EXPECT_EQ(Farm().Computers.FindByNumber(1)->StateString, StateNextFrame);

    // Gone and made anew between two ticks: still heard.
    ASSERT_TRUE(QDir(path).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(path));
    Tick();
    WriteAck(1, QStringLiteral("Rendering frame 3"));
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return Farm().Computers.FindByNumber(1)->StateCode() == TNodeState::Rendering; }, 5000));
}

} // namespace
