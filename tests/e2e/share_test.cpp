// A farm on a shared directory, as real processes: files others can read.
#include "farm_fixture.h"
#include "test_files.h"

namespace {

const QString QuickNodes = QStringLiteral("--frame-time 50 --poll 20");

std::string Text(const QStringList& list)
{
    return list.join(u' ').toStdString();
}

class ShareEndToEnd : public testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure())
            farm.PrintDiagnostics();
        farm.Shutdown();
        EXPECT_TRUE(farm.NodeProcesses().empty());
    }

    bool AllFramesWritten(const QString& scene)
    {
        return farm.WaitFor([&] { return farm.MissingFrameFiles(scene).isEmpty(); });
    }

    TScratchFarm farm;
};

// Nodes and Remotes on a share may run as other users: whatever the farm creates in the commands
// directory is 0666 less the umask, and a job file the user opened up further stays so.
TEST_F(ShareEndToEnd, FilesInTheCommandsDirectoryAreReadableByOthers)
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

} // namespace
