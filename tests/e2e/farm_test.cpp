// The whole farm as real processes: kestriond as the Master, kestrion-node as its render nodes, a
// Remote's commands through "Remote.Msg", and the frames on disk.
#include "farm_fixture.h"
#include "test_files.h"

#include <QRandomGenerator>

namespace {

const QString QuickNodes = QStringLiteral("--frame-time 50 --poll 20");
// Long enough a piece that a loaded machine still sees a node in the middle of one.
const QString SteadyNodes = QStringLiteral("--frame-time 200 --poll 20");

std::string Text(const QStringList& list)
{
    return list.join(u' ').toStdString();
}

TEST_F(FarmEndToEnd, ThreeNodesRenderASceneToTheLastFrame)
{
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 30);
    ASSERT_TRUE(farm.StartMaster(QuickNodes));
    ASSERT_TRUE(farm.AddScene(scene, farm.DefaultSettings()));
    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
    EXPECT_TRUE(farm.WaitFor([&] { return farm.SceneVerified(scene); }, 10000));

    const TComputerList nodes = farm.Computers();
    ASSERT_EQ(nodes.Count(), FarmNodes);
    for (int i = 0; i < nodes.Count(); ++i)
        EXPECT_GT(nodes.Item(i).RenderCount, 0) << "node " << nodes.Item(i).Number;
    ASSERT_TRUE(farm.StopMaster());
    EXPECT_TRUE(farm.MasterLog().contains(QStringLiteral("Ended")));
    EXPECT_TRUE(farm.SceneVerified(scene));
}

TEST_F(FarmEndToEnd, APieceOfAKilledNodeIsRenderedByAnother)
{
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 30);
    farm.Master.MasterScreamerFrames = 8;
    ASSERT_TRUE(farm.StartMaster(SteadyNodes));
    // Without verification only the crash check can bring the lost frames back.
    TSceneSettings settings = farm.DefaultSettings();
    settings.AutomaticVerify = false;
    ASSERT_TRUE(farm.AddScene(scene, settings));

    // A node in the middle of its piece: rendering, and the piece's last frame not yet written.
    int victim = 0;
    int lastOfPiece = 0;
    ASSERT_TRUE(farm.WaitFor([&] {
        const TComputerList nodes = farm.Computers();
        for (int i = 0; i < nodes.Count(); ++i) {
            const TComputer& node = nodes.Item(i);
            const QStringList piece = node.Frames.split(u' ', Qt::SkipEmptyParts);
            const qint64 pid = farm.NodeProcess(node.Number);
            if (node.StateCode() != TNodeState::Rendering || piece.size() != 3 || pid == 0
                || QFileInfo::exists(farm.FramePath(scene, piece[1].toInt(), TFrameKind::RGB)))
                continue;
            ::kill(static_cast<pid_t>(pid), SIGKILL);
            victim = node.Number;
            lastOfPiece = piece[1].toInt();
            return true;
        }
        return false;
    }));
    ASSERT_TRUE(farm.WaitFor([&] { return farm.NodeProcess(victim) == 0; }));
    ASSERT_FALSE(QFileInfo::exists(farm.FramePath(scene, lastOfPiece, TFrameKind::RGB)))
        << "the node finished its piece before it was killed";

    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
    EXPECT_TRUE(farm.MasterLog().contains(QStringLiteral("Screamer %1 crashed or has quit").arg(victim)));
    EXPECT_TRUE(farm.WaitFor([&] { return farm.Computers().Count() == FarmNodes - 1; }, 10000));
    EXPECT_EQ(farm.Computers().FindByNumber(victim), nullptr);
}

// Automatic verification runs as soon as a scene's last piece is in, so frames deleted while it
// renders would race with it. Instead the scene renders without automatic verification; once every
// piece is booked frames are deleted, and a Remote's edit switches verification on: the next tick
// finds exactly those frames missing.
TEST_F(FarmEndToEnd, FramesGoneBeforeVerificationAreRenderedAgain)
{
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 30);
    ASSERT_TRUE(farm.StartMaster(QuickNodes));
    TSceneSettings settings = farm.DefaultSettings();
    settings.AutomaticVerify = false;
    ASSERT_TRUE(farm.AddScene(scene, settings));
    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
    ASSERT_TRUE(farm.WaitFor([&] {
        const TComputerList nodes = farm.Computers();
        for (int i = 0; i < nodes.Count(); ++i)
            if (!nodes.Item(i).Frames.isEmpty())
                return false;
        const TSceneList scenes = farm.Scenes();
        const TScene* queued = TScratchFarm::FindScene(scenes, scene);
        return queued && queued->IsFinished();
    }));

    for (const int frame : { 4, 17, 29 })
        for (const TFrameKind kind : { TFrameKind::RGB, TFrameKind::Alpha })
            ASSERT_TRUE(QFile::remove(farm.FramePath(scene, frame, kind)));
    const TSceneList scenes = farm.Scenes();
    const TScene* finished = TScratchFarm::FindScene(scenes, scene);
    ASSERT_NE(finished, nullptr);
    TScene edited = *finished;
    EXPECT_FALSE(edited.Verified);
    edited.Settings.AutomaticVerify = true;
    QStringList arguments { QStringLiteral("1"), QString::number(edited.ID) };
    WriteRecord(edited, arguments);
    ASSERT_TRUE(farm.Send(ScenesEdit, arguments));

    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
    EXPECT_TRUE(farm.MasterLog().contains(
        QStringLiteral("shot.lws verified and 3 missing frames added to renderlist.")));
    EXPECT_TRUE(farm.WaitFor([&] { return farm.SceneVerified(scene); }, 10000));
}

TEST_F(FarmEndToEnd, RemoteCommandsAddAndRemoveScenesAndNoiseIsDropped)
{
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 12);
    ASSERT_TRUE(farm.StartMaster(QuickNodes));
    // Settings no default has; no node may take the scene, so it stays as it was sent.
    TSceneSettings parked = farm.DefaultSettings();
    parked.Priority = 4;
    parked.AutomaticVerifyTimes = 2;
    parked.CurrentLast = 99;
    parked.PlatformRenderSelected = true;
    parked.PlatformRenderSelectedValue = QStringLiteral("7");
    ASSERT_TRUE(farm.AddScene(scene, parked));
    ASSERT_TRUE(farm.WaitFor([&] { return farm.Scenes().Count() == 1; }));
    int id = 0;
    QString copy;
    {
        const TSceneList scenes = farm.Scenes();
        const TScene& added = scenes.Item(0);
        EXPECT_EQ(added.Filename, scene);
        EXPECT_EQ(added.Comment, QStringLiteral("TestRemote"));
        EXPECT_EQ(added.Settings.Priority, 4);
        EXPECT_EQ(added.Settings.AutomaticVerifyTimes, 2);
        EXPECT_TRUE(added.Settings.PlatformRenderSelected);
        EXPECT_EQ(added.Settings.PlatformRenderSelectedValue, QStringLiteral("7"));
        // The file's own range, not the template's.
        EXPECT_EQ(added.Settings.CurrentLast, 12);
        id = added.ID;
        copy = added.KestrionFilename;
    }
    EXPECT_TRUE(copy.endsWith(QStringLiteral(".lns")) && QFileInfo::exists(copy)) << copy.toStdString();

    // Bytes that are no command are taken away and change nothing.
    QByteArray noise(4096, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    const QString commandFile = RemoteCommandFile(farm.Master);
    WriteBytes(commandFile, noise);
    ASSERT_TRUE(farm.WaitFor([&] { return !QFileInfo::exists(commandFile); }));
    EXPECT_TRUE(farm.MasterRunning());
    EXPECT_EQ(farm.Scenes().Count(), 1);

    ASSERT_TRUE(farm.Send(ScenesRemove, { QString::number(id) }));
    ASSERT_TRUE(farm.WaitFor([&] { return farm.Scenes().Count() == 0; }));
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_TRUE(QFileInfo::exists(scene));
    EXPECT_EQ(farm.MissingFrameFiles(scene).size(), 24);

    ASSERT_TRUE(farm.AddScene(scene, farm.DefaultSettings()));
    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
}

TEST_F(FarmEndToEnd, AMasterStoppedMidRenderCarriesOnWhenStartedAgain)
{
    // Shown nodes share kestriond's standard error, where they name every job they take: each
    // "render" line is a piece handed out.
    farm.Master.ScreamerHide = false;
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 30);
    ASSERT_TRUE(farm.StartMaster(QStringLiteral("--frame-time 100 --poll 20")));
    ASSERT_TRUE(farm.AddScene(scene, farm.DefaultSettings()));
    // Half way: some pieces booked, some under way, some not handed out.
    ASSERT_TRUE(farm.WaitFor([&] { return farm.MissingFrameFiles(scene).size() <= 30; }));
    ASSERT_TRUE(farm.StopMaster());
    ASSERT_FALSE(farm.MissingFrameFiles(scene).isEmpty()) << "the Master stopped too late";
    EXPECT_TRUE(farm.MasterLog().contains(QStringLiteral("Ended")));

    // The pieces under way are finished while no Master listens.
    const TComputerList stopped = farm.Computers();
    ASSERT_TRUE(farm.WaitFor([&] {
        for (int i = 0; i < stopped.Count(); ++i) {
            const QStringList piece = stopped.Item(i).Frames.split(u' ', Qt::SkipEmptyParts);
            if (stopped.Item(i).StateCode() == TNodeState::Rendering && piece.size() == 3
                && !QFileInfo::exists(farm.FramePath(scene, piece[1].toInt(), TFrameKind::Alpha)))
                return false;
        }
        return true;
    }));

    ASSERT_TRUE(farm.StartMaster(QuickNodes, false));
    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
    EXPECT_TRUE(farm.WaitFor([&] { return farm.SceneVerified(scene); }, 10000));

    std::map<int, int> handedOut = farm.HandedOut();
    for (int frame = 1; frame <= 30; ++frame)
        EXPECT_EQ(handedOut[frame], 1) << "frame " << frame;
}

} // namespace
