#include "model/computer.h"
#include "model/estimate.h"
#include "model/scene.h"

#include <gtest/gtest.h>

namespace {

const QString Shot = QStringLiteral("/scenes/shot.lws");

TScene RangeScene(int first, int last)
{
    TScene scene;
    scene.Filename = Shot;
    scene.Settings.Range = true;
    scene.Settings.CurrentFirst = first;
    scene.Settings.CurrentLast = last;
    scene.Settings.CurrentStep = 1;
    scene.ResetFrames();
    return scene;
}

void AddNode(TComputerList& computers, const QString& scene, const QString& piece)
{
    auto node = std::make_unique<TComputer>();
    node->Number = computers.Count() + 1;
    node->SceneString = scene;
    node->Frames = piece;
    computers.Add(std::move(node));
}

} // namespace

TEST(Estimate, WaitingRenderingAndTheTimeLeftSharedByTheNodesOnTheScene)
{
    TScene scene = RangeScene(1, 100);
    TComputerList computers;
    TSceneEstimate estimate = EstimateScene(scene, computers);
    EXPECT_EQ(estimate.State, TSceneState::Waiting);
    EXPECT_EQ(estimate.FramesTotal, 100);
    EXPECT_EQ(estimate.FramesDone, 0);
    EXPECT_LT(estimate.SecondsLeft, 0) << "nothing booked, nothing to go by";
    EXPECT_EQ(TimeLeftText(estimate.SecondsLeft), QString());

    // Frames 1-20 handed out; two nodes hold 11-15 and 16-20, a third is on another scene.
    scene.NextFrames(10);
    scene.NextFrames(10);
    scene.Statistics.AddFrameTime(10.0 / 86400);
    scene.Statistics.AddFrameTime(30.0 / 86400);
    AddNode(computers, Shot, QStringLiteral("11 15 1"));
    AddNode(computers, Shot, QStringLiteral("16 20 1"));
    AddNode(computers, QStringLiteral("/scenes/other.lws"), QStringLiteral("1 5 1"));
    AddNode(computers, Shot, QString()); // idle, still naming the scene
    estimate = EstimateScene(scene, computers);
    EXPECT_EQ(estimate.State, TSceneState::Rendering);
    EXPECT_EQ(estimate.Nodes, 2);
    EXPECT_EQ(estimate.FramesDone, 10);
    EXPECT_DOUBLE_EQ(estimate.SecondsLeft, 20.0 * 90 / 2);
    EXPECT_EQ(TimeLeftText(estimate.SecondsLeft), QStringLiteral("00:15:00"));
    EXPECT_EQ(SceneStateText(estimate.State), QStringLiteral("rendering"));

    // A duplicate of the same file is another scene: the Master tells them apart by ID.
    scene.ID = 7;
    computers.Item(0).SceneId = 8;
    EXPECT_EQ(EstimateScene(scene, computers).Nodes, 1);
    computers.Item(0).SceneId = 0;

    // Nobody on it any more: the time is what one node would need.
    computers.Item(0).Frames.clear();
    computers.Item(1).Frames.clear();
    estimate = EstimateScene(scene, computers);
    EXPECT_EQ(estimate.State, TSceneState::Waiting);
    EXPECT_DOUBLE_EQ(estimate.SecondsLeft, 20.0 * 80);
}

TEST(Estimate, FinishedVerifiedAndFramesMissing)
{
    TScene scene = RangeScene(1, 4);
    scene.NextFrames(4);
    TComputerList computers;
    AddNode(computers, Shot, QStringLiteral("1 4 1"));
    EXPECT_EQ(EstimateScene(scene, computers).State, TSceneState::Rendering)
        << "handed out is not done while a node still renders it";
    computers.Item(0).Frames.clear();
    TSceneEstimate estimate = EstimateScene(scene, computers);
    EXPECT_EQ(estimate.State, TSceneState::Finished);
    EXPECT_EQ(estimate.FramesDone, 4);
    EXPECT_EQ(estimate.SecondsLeft, 0);

    scene.Verified = true;
    EXPECT_EQ(EstimateScene(scene, computers).State, TSceneState::Verified);
    scene.Verified = false;
    scene.VerifyTimes = scene.Settings.AutomaticVerifyTimes;
    EXPECT_EQ(EstimateScene(scene, computers).State, TSceneState::FramesMissing);

    // Frames found missing go back to be done.
    scene.Settings.MissingList = QStringLiteral("2 3");
    estimate = EstimateScene(scene, computers);
    EXPECT_EQ(estimate.State, TSceneState::Waiting);
    EXPECT_EQ(estimate.FramesTotal - estimate.FramesDone, 2);
}

TEST(Estimate, DamagedPiecesNeverCountBackwards)
{
    TScene scene = RangeScene(1, 10);
    scene.NextFrames(10);
    TComputerList computers;
    AddNode(computers, Shot, QStringLiteral("9 3 1"));
    AddNode(computers, Shot, QStringLiteral("1 2147483647 0"));
    const TSceneEstimate estimate = EstimateScene(scene, computers);
    EXPECT_GE(estimate.FramesDone, 0);
    EXPECT_LE(estimate.FramesDone, estimate.FramesTotal);
}
