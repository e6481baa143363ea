#pragma once
// The Master's dispatch tick: takes in every node's acknowledgement, hands pieces to idle nodes,
// steps each node through content directory, scene load and render, books finished pieces,
// removes nodes that have gone and verifies finished scenes.

#include "model/scene_choice.h"

#include <QSet>
#include <QString>

class TFarm;
class TDiscovery;
class TComputer;
class TScene;

class TDispatch
{
public:
    TDispatch(TFarm& farm, TDiscovery& discovery);

    void TimerMasterTimer();
    // Between ticks: takes in the answers waiting in the commands directory and serves the nodes
    // that gave them, with the tick's own steps; nodes without a new answer are left to the tick.
    // Changes are shown at once and stored for the Remotes at the next tick. True when an ack
    // file holds no answer yet (a node still writing it): worth another look shortly.
    bool ServeAnswers();

    // Ticks since the last automatic rescan.
    int RescanCounter = 0;

private:
    void PeriodicRescan();
    void UpdateOwnOverviewEntry();
    void ReadRemoteCommand();
    void VerifyFinishedScenes();
    void RemoveOfflineNodes();
    // Every node on a tick; between ticks only those in `answering` that answered.
    void ServeNodes(const QSet<int>* answering = nullptr);
    enum class TAnswer
    {
        None,
        Taken,
        // An ack file without a node's answer: garbage, or still being written.
        Unfinished
    };
    TAnswer TakeAcknowledgement(TComputer& node);
    bool PiecesOut(const TScene& scene) const;
    void BookPiece(TComputer& node);
    void ServeReady(TComputer& node);
    void ServeSettingContent(TComputer& node);
    void ServeLoading(TComputer& node);
    void WriteRenderLog(const TScene& scene, const TComputer& node);
    void ReportJobFailure(const TComputer& node, const QString& error);

    TFarm& FFarm;
    TDiscovery& FDiscovery;
    bool FScenesChanged = false;
    bool FComputersChanged = false;
    TSceneChoice FChoice;
    // Nodes whose job file could not be written on the last try: reported once, not every tick.
    QSet<int> FFailingNodes;
    bool FUnfinished = false;
};
