// A farm on a shared directory, as real processes: files others can read, nodes that keep their
// pieces however they leave, and acknowledgements that are no answer at all.
#include "farm_fixture.h"
#include "test_files.h"

#include <map>

namespace {

const QString QuickNodes = QStringLiteral("--frame-time 50 --poll 20");

std::string Text(const QStringList& list)
{
    return list.join(u' ').toStdString();
}

// Frames that two nodes hold at once, as the Master last stored its nodes.
QStringList SharedFrames(const TComputerList& nodes)
{
    std::map<QString, int> holders;
    for (int i = 0; i < nodes.Count(); ++i) {
        if (!nodes.Item(i).HoldsPiece())
            continue;
        for (const QString& frame : PieceFrames(nodes.Item(i).Frames).split(u' ', Qt::SkipEmptyParts))
            ++holders[nodes.Item(i).SceneString + u' ' + frame];
    }
    QStringList shared;
    for (const auto& [frame, count] : holders)
        if (count > 1)
            shared << frame;
    return shared;
}

// Nodes and Remotes on a share may run as other users: whatever the farm creates in the commands
// directory is 0666 less the umask, and a job file the user opened up further stays so.
TEST_F(FarmEndToEnd, FilesInTheCommandsDirectoryAreReadableByOthers)
{
    const TUmask mask(022);
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 6);
    ASSERT_TRUE(farm.StartMaster(QuickNodes));
    ASSERT_TRUE(farm.AddScene(scene, farm.DefaultSettings()));
    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
    ASSERT_TRUE(farm.WaitFor([&] { return farm.Computers().Count() == FarmNodes; }));

    const QString job = JobFileName(farm.Master, 1);
    QStringList checked;
    for (const QFileInfo& file : QDir(farm.Commands).entryInfoList(QDir::Files | QDir::Hidden)) {
        const mode_t mode = FileMode(file.filePath());
        // A file replaced between the listing and the look is written again anyway.
        if (mode == 0)
            continue;
        EXPECT_EQ(mode, 0644u) << file.fileName().toStdString();
        checked << file.fileName();
    }
    for (const QString& name :
        { QStringLiteral("Job1"), QStringLiteral("StateComputers.lst"), QStringLiteral("StateScenes.lst") })
        EXPECT_TRUE(checked.contains(name)) << name.toStdString() << " in " << Text(checked);

    ASSERT_EQ(::chmod(QFile::encodeName(job).constData(), 0664), 0);
    ASSERT_TRUE(farm.Send(ComputersKill, { QStringLiteral("1") }));
    ASSERT_TRUE(farm.WaitFor([&] { return ReadBytes(job).startsWith("quit"); }));
    EXPECT_EQ(FileMode(job), 0664u);
}

// Node 3 hangs in the middle of its piece and is killed once the rest of the scene is done. A
// "Dying" node may still be rendering: until it has gone its frames are its own, so no
// verification finds them missing and no other node takes them. Declared crashed, it hands them
// back and they are rendered.
TEST_F(FarmEndToEnd, AKilledNodeKeepsItsPieceUntilItHasGone)
{
    farm.Master.ScreamerNumbers = QStringLiteral("1 2");
    farm.Master.MasterScreamerFrames = 2;
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 12);
    ASSERT_TRUE(farm.StartNode(3, QStringLiteral("--frame-time 300 --poll 20 --hang-after 1")));
    ASSERT_TRUE(farm.StartMaster(QuickNodes));
    ASSERT_TRUE(farm.WaitFor([&] { return farm.Computers().Count() == FarmNodes; }));
    ASSERT_TRUE(farm.AddScene(scene, farm.DefaultSettings()));

    // Every other piece rendered and booked, node 3 stuck in its own.
    QString piece;
    ASSERT_TRUE(farm.WaitFor([&] {
        const TComputerList nodes = farm.Computers();
        const TSceneList scenes = farm.Scenes();
        const TScene* queued = TScratchFarm::FindScene(scenes, scene);
        if (!queued || !queued->IsFinished() || nodes.Count() != FarmNodes)
            return false;
        for (int i = 0; i < nodes.Count(); ++i)
            if (nodes.Item(i).Number != 3 && nodes.Item(i).HoldsPiece())
                return false;
        piece = nodes.FindByNumber(3)->Frames;
        return nodes.FindByNumber(3)->StateCode() == TNodeState::Rendering;
    }));
    const QStringList frames = PieceFrames(piece).split(u' ', Qt::SkipEmptyParts);
    ASSERT_EQ(frames.size(), 2) << piece.toStdString();
    ASSERT_TRUE(farm.Send(ComputersKill, { QStringLiteral("3") }));

    // Ten ticks and more of a Dying node holding its piece.
    QStringList shared;
    const QDeadlineTimer watched(2500);
    int dyingSeen = 0;
    while (!watched.hasExpired()) {
        const TComputerList nodes = farm.Computers();
        shared += SharedFrames(nodes);
        const TComputer* stuck = nodes.FindByNumber(3);
        dyingSeen += stuck && stuck->StateString == StateDying && stuck->Frames == piece;
        QThread::msleep(100);
    }
    EXPECT_GT(dyingSeen, 0);
    EXPECT_TRUE(shared.isEmpty()) << Text(shared);
    EXPECT_FALSE(QFileInfo::exists(farm.FramePath(scene, frames.last().toInt(), TFrameKind::RGB)));
    EXPECT_FALSE(farm.MasterLog().contains(QStringLiteral("missing frames added to renderlist")));
    EXPECT_FALSE(farm.SceneVerified(scene));

    ASSERT_TRUE(farm.Send(ComputersCrashed, { QStringLiteral("Rerender"), QStringLiteral("3") }));
    ::kill(static_cast<pid_t>(farm.NodeProcess(3)), SIGKILL);
    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
    EXPECT_TRUE(farm.WaitFor([&] { return farm.SceneVerified(scene); }, 10000));
    EXPECT_EQ(farm.Computers().FindByNumber(3), nullptr);
    EXPECT_FALSE(farm.MasterLog().contains(QStringLiteral("missing frames added to renderlist")))
        << farm.MasterLog().toStdString();
}

// A node's ack file holds bytes that are no answer while the node renders a piece of one frame.
// The Master leaves the file and the node as they are; once the node's own answer replaces the
// bytes, the piece is booked, and no frame is handed out twice.
TEST_F(FarmEndToEnd, AGarbageAckDuringARenderChangesNothing)
{
    farm.Master.ScreamerHide = false;
    farm.Master.MasterScreamerFrames = 1;
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 9);
    ASSERT_TRUE(farm.StartMaster(QStringLiteral("--frame-time 2000 --poll 20")));
    ASSERT_TRUE(farm.AddScene(scene, farm.DefaultSettings()));

    // Written only where the Master has taken the node's last answer, so no answer is lost.
    const QByteArray garbage("Rend\x01\xff\r\n");
    int number = 0;
    ASSERT_TRUE(farm.WaitFor([&] {
        const TComputerList nodes = farm.Computers();
        for (int i = 0; i < nodes.Count(); ++i) {
            if (nodes.Item(i).StateCode() != TNodeState::Rendering)
                continue;
            QFile ack(AckFileName(farm.Master, nodes.Item(i).Number));
            if (!ack.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                continue;
            ack.write(garbage);
            number = nodes.Item(i).Number;
            return true;
        }
        return false;
    }));
    const QString ackFile = AckFileName(farm.Master, number);
    // A few ticks for the Master to settle on what it saw last.
    QThread::msleep(500);
    const TComputer before = *farm.Computers().FindByNumber(number);
    QThread::msleep(1500);
    const TComputer after = *farm.Computers().FindByNumber(number);
    EXPECT_EQ(ReadBytes(ackFile), garbage);
    EXPECT_TRUE(after.HoldsPiece()) << after.StateString.toStdString();
    EXPECT_EQ(after.StateString, before.StateString);
    EXPECT_EQ(after.Frames, before.Frames);

    // The node's answer takes the place of the bytes.
    ASSERT_TRUE(QFile::remove(ackFile));
    ASSERT_TRUE(AllFramesWritten(scene)) << Text(farm.MissingFrameFiles(scene));
    EXPECT_TRUE(farm.WaitFor([&] { return farm.SceneVerified(scene); }, 10000));
    const std::map<int, int> handedOut = farm.HandedOut();
    for (int frame = 1; frame <= 9; ++frame)
        EXPECT_EQ(handedOut.count(frame) ? handedOut.at(frame) : 0, 1) << "frame " << frame;
}

} // namespace
