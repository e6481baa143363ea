#pragma once
// The Master's dispatch tick: takes in every node's acknowledgement, hands pieces to idle nodes,
// steps each node through content directory, scene load and render, books finished pieces,
// removes nodes that have gone and verifies finished scenes.

#include <QHash>
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

    // How many nodes are on each scene file, and on each scene file per computer name, so
    // choosing a scene costs a lookup per scene instead of a walk over all nodes.
    void CountNodesOnScenes();
    void MoveNodeToScene(TComputer& node, const TScene& scene);
    TScene* ChooseScene(const TComputer& node) const;

    TFarm& FFarm;
    TDiscovery& FDiscovery;
    bool FScenesChanged = false;
    bool FComputersChanged = false;
    QHash<QString, int> FOnScene;
    QHash<QString, int> FOnSceneOfComputer;
    // Nodes whose job file could not be written on the last try: reported once, not every tick.
    QSet<int> FFailingNodes;
};
