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

    // Ticks since the last automatic rescan.
    int RescanCounter = 0;

private:
    void PeriodicRescan();
    void UpdateOwnOverviewEntry();
    void ReadRemoteCommand();
    void VerifyFinishedScenes();
    void RemoveOfflineNodes();
    void ServeNodes();
    void TakeAcknowledgement(TComputer& node);
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
};
