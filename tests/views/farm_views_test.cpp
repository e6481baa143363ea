#include "views/farm_json.h"
#include "views/farm_tables.h"

#include "events/event_log.h"
#include "model/computer.h"
#include "model/scene_list.h"
#include "options/options.h"
#include "support/clock.h"

#include "scripted_people.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

// Two scenes (one half rendered with a node on it, one verified) and two nodes, one idle.
struct TSmallFarm
{
    TSmallFarm()
    {
        auto shot = std::make_unique<TScene>();
        shot->Filename = QStringLiteral("/scenes/shot.lws");
        shot->Settings.Range = true;
        shot->Settings.CurrentFirst = 1;
        shot->Settings.CurrentLast = 20;
        shot->Settings.Priority = 3;
        shot->Comment = QStringLiteral("artist");
        shot->ResetFrames();
        shot->NextFrames(10);
        shot->Statistics.AddFrameTime(6.0 / 86400);
        shot->ID = 11;
        auto done = std::make_unique<TScene>();
        done->Filename = QStringLiteral("/scenes/done.lws");
        done->Settings.Range = true;
        done->Settings.CurrentFirst = 1;
        done->Settings.CurrentLast = 4;
        done->ResetFrames();
        done->NextFrames(4);
        done->Verified = true;
        done->ID = 22;
        Scenes.Append(std::move(shot));
        Scenes.Append(std::move(done));

        auto busy = std::make_unique<TComputer>();
        busy->Number = 1;
        busy->Name = QStringLiteral("render-1");
        busy->StateString = QStringLiteral("Rendering frame 7");
        busy->SceneString = QStringLiteral("/scenes/shot.lws");
        busy->SceneId = 11;
        busy->Frames = QStringLiteral("6 10 1");
        auto idle = std::make_unique<TComputer>();
        idle->Number = 2;
        idle->Name = QStringLiteral("render-2");
        idle->StateString = QStringLiteral("Ready");
        idle->SceneString = QStringLiteral("/scenes/shot.lws");
        Computers.Add(std::move(busy));
        Computers.Add(std::move(idle));
    }
    TSceneList Scenes;
    TComputerList Computers;
};

} // namespace

TEST(FarmTables, PrioritiesProgressAndPieces)
{
    int priority = -1;
    EXPECT_TRUE(PriorityFromName(QStringLiteral("Top"), priority));
    EXPECT_EQ(priority, 4);
    EXPECT_TRUE(PriorityFromName(QStringLiteral("none"), priority));
    EXPECT_EQ(priority, 0);
    EXPECT_TRUE(PriorityFromName(QStringLiteral("1"), priority));
    EXPECT_EQ(PriorityName(priority), QStringLiteral("low"));
    EXPECT_FALSE(PriorityFromName(QStringLiteral("urgent"), priority));
    EXPECT_FALSE(PriorityFromName(QStringLiteral("5"), priority));
    EXPECT_EQ(PriorityName(7), QStringLiteral("7")) << "a hand-edited record's number stays readable";

    EXPECT_EQ(ProgressBar(1, 4, 8), QStringLiteral("[##......]  25%"));
    EXPECT_EQ(ProgressBar(0, 0, 4), QStringLiteral("[....]   0%"));
    EXPECT_EQ(ProgressBar(9, 4, 4), QStringLiteral("[####] 100%")) << "never past the end";
    EXPECT_EQ(ProgressBar(-3, 4, 4), QStringLiteral("[....]   0%"));

    EXPECT_EQ(PieceText(QStringLiteral("6 10 1")), QStringLiteral("6-10"));
    EXPECT_EQ(PieceText(QStringLiteral("1 9 2")), QStringLiteral("1-9x2"));
    EXPECT_EQ(PieceText(QStringLiteral("5 5 1")), QStringLiteral("5"));
    EXPECT_EQ(PieceText(QString()), QString());
}

TEST(FarmTables, ScenesAndNodesInAlignedColumns)
{
    TSmallFarm farm;
    const QStringList scenes = ScenesTable(farm.Scenes, farm.Computers);
    ASSERT_EQ(scenes.size(), 3);
    EXPECT_TRUE(scenes[0].startsWith(QStringLiteral("ID  PRIORITY  FRAMES  PROGRESS")));
    // Frames 1-5 booked, 6-10 held by node 1, 11-20 waiting: 5 done; 15 left on one node at 6 s.
    EXPECT_EQ(scenes[1],
        QStringLiteral("11  high      5/20    [#####...............]  25%  00:01:30  rendering  shot.lws"));
    EXPECT_EQ(scenes[2],
        QStringLiteral("22  normal    4/4     [####################] 100%  00:00:00  verified   done.lws"));

    const QStringList nodes = NodesTable(farm.Computers, farm.Scenes);
    ASSERT_EQ(nodes.size(), 3);
    EXPECT_EQ(nodes[1], QStringLiteral("1     render-1  Rendering frame 7  11 shot.lws  6-10"));
    EXPECT_EQ(nodes[2], QStringLiteral("2     render-2  Ready"))
        << "an idle node is on no scene, and no blanks trail";
}

TEST(FarmJson, OneDocumentWithFarmScenesComputersAndEvents)
{
    TSmallFarm farm;
    const TFarmHeader header { QStringLiteral("studio"), QStringLiteral("remote"), QStringLiteral("tcpip") };
    const QJsonObject document
        = QJsonDocument::fromJson(FarmJsonText(header, farm.Scenes, farm.Computers)).object();
    EXPECT_EQ(document.value(QStringLiteral("version")).toInt(), FarmJsonVersion);
    EXPECT_FALSE(document.contains(QStringLiteral("events"))) << "only where the events are at hand";

    const QJsonObject summary = document.value(QStringLiteral("farm")).toObject();
    EXPECT_EQ(summary.value(QStringLiteral("name")).toString(), QStringLiteral("studio"));
    EXPECT_EQ(summary.value(QStringLiteral("transport")).toString(), QStringLiteral("tcpip"));
    EXPECT_EQ(summary.value(QStringLiteral("scenes")).toInt(), 2);
    EXPECT_EQ(summary.value(QStringLiteral("computers")).toInt(), 2);
    EXPECT_EQ(summary.value(QStringLiteral("rendering")).toInt(), 1);

    const QJsonArray scenes = document.value(QStringLiteral("scenes")).toArray();
    ASSERT_EQ(scenes.size(), 2);
    const QJsonObject shot = scenes[0].toObject();
    EXPECT_EQ(shot.value(QStringLiteral("id")).toInt(), 11);
    EXPECT_EQ(shot.value(QStringLiteral("file")).toString(), QStringLiteral("/scenes/shot.lws"));
    EXPECT_EQ(shot.value(QStringLiteral("priority")).toInt(), 3);
    EXPECT_EQ(shot.value(QStringLiteral("priorityName")).toString(), QStringLiteral("high"));
    EXPECT_EQ(shot.value(QStringLiteral("state")).toString(), QStringLiteral("rendering"));
    EXPECT_EQ(shot.value(QStringLiteral("framesDone")).toInt(), 5);
    EXPECT_EQ(shot.value(QStringLiteral("framesTotal")).toInt(), 20);
    EXPECT_EQ(shot.value(QStringLiteral("secondsLeft")).toInt(), 90);
    EXPECT_EQ(shot.value(QStringLiteral("timeLeft")).toString(), QStringLiteral("00:01:30"));
    EXPECT_EQ(shot.value(QStringLiteral("owner")).toString(), QStringLiteral("artist"));
    EXPECT_TRUE(shot.value(QStringLiteral("added")).isNull()) << "never added: no moment";

    const QJsonArray computers = document.value(QStringLiteral("computers")).toArray();
    ASSERT_EQ(computers.size(), 2);
    const QJsonObject busy = computers[0].toObject();
    EXPECT_EQ(busy.value(QStringLiteral("stateCode")).toString(), QStringLiteral("rendering"));
    EXPECT_EQ(busy.value(QStringLiteral("sceneId")).toInt(), 11);
    EXPECT_EQ(busy.value(QStringLiteral("frames")).toString(), QStringLiteral("6-10"));
    EXPECT_TRUE(computers[1].toObject().value(QStringLiteral("sceneId")).isNull());

    // A scene with nothing booked has no estimate: null, not a number that looks like one.
    TSceneList fresh;
    auto scene = std::make_unique<TScene>();
    scene->Settings.Range = true;
    scene->Settings.CurrentLast = 3;
    scene->ResetFrames();
    fresh.Append(std::move(scene));
    const QJsonObject waiting = ScenesJson(fresh, farm.Computers)[0].toObject();
    EXPECT_TRUE(waiting.value(QStringLiteral("secondsLeft")).isNull());
    EXPECT_EQ(waiting.value(QStringLiteral("state")).toString(), QStringLiteral("waiting"));

    TOptions options;
    TScriptedPeople people;
    TManualClock clock;
    TEventLog events(options, clock, people);
    events.AddEvent(1, QStringLiteral("Master"), QStringLiteral("Scenes Add"), QStringLiteral("shot.lws"));
    const QJsonArray logged
        = FarmJson(header, farm.Scenes, farm.Computers, &events).value(QStringLiteral("events")).toArray();
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged[0].toObject().value(QStringLiteral("type")).toString(), QStringLiteral("Scenes Add"));
}

TEST(FarmJson, TextAndObjectAgreeForAnyName)
{
    TSmallFarm farm;
    TScene& shot = farm.Scenes.Item(0);
    TComputer& node = farm.Computers.Item(0);
    for (const QString& name : { QStringLiteral("plain"), QStringLiteral("quote \" back \\ slash"),
             QStringLiteral("tab\tnew\nline\x01\x1f"), QStringLiteral("caf\u00e9 \U0001F3AC"),
             QString(QChar(0xD800)) + QStringLiteral("lone"), QString() }) {
        shot.Filename = QStringLiteral("/scenes/") + name + QStringLiteral(".lws");
        shot.Comment = name;
        node.Name = name;
        for (const auto& [text, object] :
            { std::pair(SceneJsonText(shot, farm.Computers), SceneJson(shot, farm.Computers)),
                std::pair(ComputerJsonText(node, farm.Scenes), ComputerJson(node, farm.Scenes)) }) {
            QJsonParseError error;
            const QJsonDocument parsed = QJsonDocument::fromJson(text, &error);
            ASSERT_EQ(error.error, QJsonParseError::NoError) << text.constData();
            // A lone surrogate cannot travel as UTF-8: enough that the text still parses.
            if (!name.startsWith(QChar(0xD800))) {
                EXPECT_EQ(parsed.object(), QJsonDocument::fromJson(QJsonDocument(object).toJson()).object())
                    << text.constData();
            }
        }
    }
}
