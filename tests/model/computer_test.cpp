#include "model/computer.h"

#include "model/scene.h"
#include "model/scene_choice.h"
#include "model/screamer.h"
#include "support/number_list.h"
#include "support/record_text.h"

#include "test_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <tuple>
#include <unistd.h>

namespace {

std::unique_ptr<TComputer> MakeComputer(int number, const QString& name = QString())
{
    auto computer = std::make_unique<TComputer>();
    computer->Number = number;
    computer->Name = name;
    return computer;
}

QList<int> Numbers(const TComputerList& list)
{
    QList<int> numbers;
    for (int i = 0; i < list.Count(); ++i)
        numbers.append(list.Item(i).Number);
    return numbers;
}

QStringList Names(const TComputerList& list)
{
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names.append(list.Item(i).Name);
    return names;
}

TDateTime Moment(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    TDateTime moment = 0;
    EXPECT_TRUE(EncodeDateTime(year, month, day, hour, minute, second, millisecond, moment));
    return moment;
}

class ComputerFile : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Loads the bytes into a list that already holds node 50, which the file's nodes join.
    TComputerList Load(const QByteArray& bytes)
    {
        WriteBytes(path, bytes);
        TComputerList list;
        list.Add(MakeComputer(50, QStringLiteral("kept")));
        EXPECT_TRUE(list.LoadFromFile(path));
        return list;
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("StateComputers.lst"));
};

} // namespace

TEST(Computer, StateAndPlatformCodes)
{
    TComputer computer;
    const QStringList states = { QStringLiteral("Initializing"), QStringLiteral("Ready"),
        QStringLiteral("Next Frame"), QStringLiteral("Setting content directory"), QStringLiteral("Loading"),
        QStringLiteral("Rendering frame 12"), QStringLiteral("Offline"), QStringLiteral("Dying") };
    for (int code = 0; code < states.size(); ++code) {
        computer.StateString = states[code];
        EXPECT_EQ(computer.StateCode(), static_cast<TNodeState>(code)) << states[code].toStdString();
    }
    computer.StateString = QStringLiteral("rendering frame 12");
    EXPECT_EQ(computer.StateCode(), TNodeState::Other);

    const QStringList platforms = { QStringLiteral("x86"), QStringLiteral("Alpha"), QStringLiteral("Silicon"),
        QStringLiteral("Macintosh") };
    for (int code = 0; code < platforms.size(); ++code) {
        computer.CPU = platforms[code];
        EXPECT_EQ(computer.PlatformCode(), code);
    }
    computer.CPU = QStringLiteral("PowerPC");
    EXPECT_EQ(computer.PlatformCode(), 0);
}

TEST(ComputerList, OrderAndLookup)
{
    TComputerList list;
    EXPECT_TRUE(list.NumberFree(1));

    list.Add(MakeComputer(5, QStringLiteral("a")));
    list.Add(MakeComputer(2, QStringLiteral("b")));
    list.Add(MakeComputer(9, QStringLiteral("c")));
    list.Add(MakeComputer(5, QStringLiteral("d")));
    EXPECT_EQ(Names(list), QStringList({ "b", "a", "d", "c" }));
    EXPECT_FALSE(list.NumberFree(9));
    EXPECT_TRUE(list.NumberFree(3));
    ASSERT_NE(list.FindByNumber(9), nullptr);
    EXPECT_EQ(list.FindByNumber(9)->Name, QStringLiteral("c"));

    list.Move(0, 2);
    EXPECT_EQ(Names(list), QStringList({ "a", "d", "b", "c" }));
    list.Move(3, 0);
    EXPECT_EQ(Names(list), QStringList({ "c", "a", "d", "b" }));
    list.Delete(1);
    EXPECT_EQ(Names(list), QStringList({ "c", "d", "b" }));
    list.Add(MakeComputer(1, QStringLiteral("e")));
    EXPECT_EQ(Numbers(list), QList<int>({ 1, 2, 5, 9 }));
}

TEST(ComputerList, RecordsReadAreMadeAtTheListsClock)
{
    TManualClock clock;
    clock.Moment = 46300.5;
    TComputerList list(clock);
    list.LoadFromLines({ QStringLiteral("1"), QStringLiteral("[Computer1]"), QStringLiteral("Number 4"),
        QStringLiteral("[end]") });
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(0).Number, 4);
    EXPECT_EQ(list.Item(0).ScreamerStart, 46300.5);
}

// Whatever state a node is in, the piece it took is its own until booked or handed back: a Dying
// node may still render it, an Offline one is listed one more tick, garbage changes no state.
TEST(ComputerList, HeldFramesAreEveryUnbookedPieceOfTheScene)
{
    const QString scene = QStringLiteral("/scenes/a.lws");
    TComputerList list;
    int number = 0;
    for (const QString& state : { QStringLiteral("Initializing"), QStringLiteral("Ready"), StateNextFrame,
             QStringLiteral("Setting content directory"), QStringLiteral("Loading"),
             QStringLiteral("Rendering frame 3"), QStringLiteral("Offline"), StateDying }) {
        auto computer = MakeComputer(++number);
        computer->StateString = state;
        computer->SceneString = scene;
        computer->Frames = QStringLiteral("%1 %1 1").arg(number * 10);
        EXPECT_TRUE(computer->HoldsPiece()) << state.toStdString();
        list.Add(std::move(computer));
    }
    EXPECT_EQ(list.HeldFrames(scene), QStringLiteral("10 20 30 40 50 60 70 80"));

    // A booked node and a node of another scene hold nothing of this one.
    list.Item(0).Frames.clear();
    EXPECT_FALSE(list.Item(0).HoldsPiece());
    list.Item(1).SceneString = QStringLiteral("/scenes/b.lws");
    list.Item(2).Frames = QStringLiteral("5 9 2");
    EXPECT_EQ(list.HeldFrames(scene), QStringLiteral("5 7 9 40 50 60 70 80"));
    EXPECT_EQ(list.HeldFrames(QStringLiteral("/scenes/b.lws")), QStringLiteral("20"));

    // A damaged record's piece of two billion frames is not spelled out; one of the limit is.
    list.Item(3).Frames = QStringLiteral("1 2147483647 1");
    EXPECT_EQ(list.HeldFrames(scene), QStringLiteral("5 7 9 50 60 70 80"));
    EXPECT_TRUE(PieceFrames(QStringLiteral("2147483647 -2147483647 -1")).isEmpty());
    EXPECT_EQ(CountNumbers(PieceFrames(QStringLiteral("1 %1 1").arg(PieceFrameLimit))), PieceFrameLimit);
    EXPECT_TRUE(PieceFrames(QStringLiteral("1 %1 1").arg(PieceFrameLimit + 1)).isEmpty());
    EXPECT_EQ(PieceFrames(QStringLiteral("9 1 1")), QString());
}

TEST(SceneChoice, CountsOnScene)
{
    TScene scene;
    scene.Filename = QStringLiteral("/scenes/a.lws");
    TComputerList list;
    for (const auto& [number, name, sceneFile] : { std::tuple(1, "alpha", "/scenes/a.lws"),
             std::tuple(2, "alpha", "/scenes/b.lws"), std::tuple(3, "beta", "/scenes/a.lws") }) {
        auto computer = MakeComputer(number, QString::fromLatin1(name));
        computer->SceneString = QString::fromLatin1(sceneFile);
        list.Add(std::move(computer));
    }
    TSceneChoice choice;
    choice.CountNodes(list);
    EXPECT_EQ(choice.OnScene(scene.Filename), 2);
    EXPECT_EQ(choice.OnSceneOfComputer(QStringLiteral("alpha"), scene.Filename), 1);
    EXPECT_EQ(choice.OnSceneOfComputer(QStringLiteral("gamma"), scene.Filename), 0);
}

TEST_F(ComputerFile, SavedBytesAndRoundTrip)
{
    TComputerList list;
    auto first = MakeComputer(7, QStringLiteral("render one"));
    first->CPU = QStringLiteral("x86");
    first->StateString = QStringLiteral("Rendering frame 3");
    first->Frames = QStringLiteral("1 5 2");
    first->SceneString = QStringLiteral("/scenes/shot.lws");
    first->RenderCount = 4;
    first->ScreamerStart = Moment(2024, 3, 1, 10, 20, 30, 456);
    first->RenderStart = Moment(2024, 3, 2, 23, 59, 59, 999);
    first->LastRenderTime = 0.5;
    first->SceneLoadFile = QStringLiteral("/scenes/shot.lns");
    first->ContentDirectory = QStringLiteral("/content");
    first->SceneId = 12;
    first->SceneStamp = first->RenderStart;
    auto second = MakeComputer(3, QStringLiteral("render two"));
    second->ScreamerStart = Moment(2023, 12, 31, 0, 0, 0, 1);
    list.Add(std::move(first));
    list.Add(std::move(second));

    ASSERT_TRUE(list.SaveToFile(path));
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.startsWith("2\r\n[Computer1]\r\nNumber 3\r\n"));
    EXPECT_TRUE(bytes.endsWith("[Computer2]\r\nNumber 7\r\nCPU x86\r\nMemory 0\r\nProcessors 0\r\n"
                               "StateString Rendering frame 3\r\nName render one\r\nFrames 1 5 2\r\n"
                               "SceneString /scenes/shot.lws\r\nRenderCount 4\r\n"
                               "ScreamerStart 2024 3 1 10 20 30 456\r\nRenderStart 2024 3 2 23 59 59 999\r\n"
                               "LastRenderTime 1899 12 30 12 0 0 0\r\n[end]\r\n"))
        << bytes.toStdString();

    TComputerList read;
    ASSERT_TRUE(read.LoadFromFile(path));
    // The stored fields come back to the millisecond, the others at their constructor values.
    QStringList written;
    QStringList rewritten;
    list.SaveToLines(written);
    read.SaveToLines(rewritten);
    EXPECT_EQ(rewritten, written);
    ASSERT_EQ(read.Count(), 2);
    const TComputer& back = read.Item(1);
    EXPECT_EQ(back.SceneLoadFile, QString());
    EXPECT_EQ(back.ContentDirectory, QString());
    EXPECT_EQ(back.SceneId, 0);
    EXPECT_EQ(back.SceneStamp, 0);

    EXPECT_FALSE(list.SaveToFile(dir.filePath(QStringLiteral("missing/StateComputers.lst"))));
}

TEST_F(ComputerFile, DamagedFiles)
{
    TComputerList list;
    list.Add(MakeComputer(50));
    EXPECT_FALSE(list.LoadFromFile(dir.filePath(QStringLiteral("none.lst"))));
    EXPECT_EQ(Numbers(list), QList<int>({ 50 }));

    const QByteArray record = "[Computer1]\r\nNumber 4\r\n[end]\r\n";
    EXPECT_EQ(Numbers(Load("x\r\n" + record)), QList<int>({ 50 }));
    EXPECT_EQ(Numbers(Load("-1\r\n" + record)), QList<int>({ 50 }));
    EXPECT_EQ(Numbers(Load("")), QList<int>({ 50 }));
    // A count far beyond the lines makes no records past their end.
    EXPECT_EQ(Numbers(Load("2000000000\r\n" + record)), QList<int>({ 4, 50 }));
    // A cut-short file keeps the record it was cut in; "End" closes a record too.
    EXPECT_EQ(Names(Load("3\r\n[Computer1]\r\nNumber 4\r\nEnd\r\n[Computer2]\r\nNumber 1\r\nName cut")),
        QStringList({ "cut", "", "kept" }));
    // Equal numbers stay in file order, after those already listed.
    EXPECT_EQ(Names(Load("3\r\n[Computer1]\r\nNumber 50\r\nName a\r\n[end]\r\n[Computer2]\r\nNumber 1\r\n"
                         "[end]\r\n[Computer3]\r\nNumber 50\r\nName b\r\n[end]\r\n")),
        QStringList({ "", "kept", "a", "b" }));
}

TEST_F(ComputerFile, LargeFileLoadsInLinearTime)
{
    // Sorting after each of these records would take minutes.
    constexpr int count = 50000;
    QByteArray bytes = QByteArray::number(count) + "\r\n";
    for (int number = count; number > 0; --number)
        bytes += "[Computer]\r\nNumber " + QByteArray::number(number) + "\r\n[end]\r\n";
    const TComputerList list = Load(bytes);
    ASSERT_EQ(list.Count(), count + 1);
    EXPECT_EQ(list.Item(0).Number, 1);
    EXPECT_EQ(list.Item(count).Number, count);

    // A damaged file naming more nodes than any farm has stops at the limit.
    QStringList endless(ComputerListLimit + 10, QStringLiteral("End"));
    endless[0] = QStringLiteral("2000000000");
    TComputerList limited;
    limited.LoadFromLines(endless);
    EXPECT_EQ(limited.Count(), ComputerListLimit);
}

TEST(ComputerList, ReportLines)
{
    TComputerList list;
    auto busy = MakeComputer(1, QStringLiteral("alpha"));
    busy->StateString = QStringLiteral("Rendering frame 3");
    busy->SceneString = QStringLiteral("C:\\scenes\\shot.lws");
    busy->RenderCount = 2;
    busy->ScreamerStart = 45000;
    busy->RenderStart = 45002.5;
    list.Add(std::move(busy));
    auto idle = MakeComputer(2, QStringLiteral("beta"));
    idle->StateString = QStringLiteral("Ready");
    idle->Processors = 0;
    list.Add(std::move(idle));

    QStringList lines;
    list.ReportLines(lines);
    EXPECT_EQ(lines,
        QStringList({ QString(44, u'_'), "COMPUTERS", "", "alpha", "  Rendering frame 3", "  shot.lws",
            "  30:00:00 (2 frames)", "", "beta", "  Ready", "  ", "  No frames rendered", "" }));
}

TEST(Computer, CrashWatchNote)
{
    TScreamerList screamers;
    auto dead = std::make_unique<TScreamer>();
    dead->Number = 3;
    screamers.Add(std::move(dead));
    auto live = std::make_unique<TScreamer>();
    live->Number = 5;
    ASSERT_TRUE(StartProcess(QStringLiteral("/bin/sleep"), QStringLiteral("sleep 30"), QString(), true,
        live->Process, TShowMode::Hidden, QString()));
    const pid_t pid = static_cast<pid_t>(live->Process.ProcessId);
    screamers.Add(std::move(live));

    TComputer computer;
    computer.Number = 3;
    EXPECT_EQ(computer.CrashWatchNote(screamers),
        QStringLiteral("No crash detection possible (This Kestrion was restarted) "));
    computer.Number = 5;
    EXPECT_EQ(computer.CrashWatchNote(screamers), QString());
    computer.Number = 9;
    EXPECT_EQ(computer.CrashWatchNote(screamers), QString());
    kill(pid, SIGKILL);
}
