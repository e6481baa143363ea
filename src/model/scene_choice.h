#pragma once
// Which scene a node renders next: the first of the queue that accepts it. The counts of nodes
// on each scene file, in all and per computer name, are kept here so that choosing costs a
// lookup per scene instead of a walk over all nodes.

#include <QHash>
#include <QString>

class TComputer;
class TComputerList;
class TScene;
class TSceneList;

class TSceneChoice
{
public:
    // Counts the nodes as they stand.
    void CountNodes(const TComputerList& nodes);
    // The node takes a piece of the scene: it is on the scene from now on, counts following.
    void MoveNode(TComputer& node, const TScene& scene);

    bool Accepts(const TScene& scene, const TComputer& node) const;
    // The first scene in queue order that accepts the node; none when no scene does.
    TScene* ChooseScene(TSceneList& scenes, const TComputer& node) const;

    int OnScene(const QString& sceneFile) const { return FOnScene.value(sceneFile); }
    int OnSceneOfComputer(const QString& name, const QString& sceneFile) const;

private:
    int FNodeCount = 0;
    QHash<QString, int> FOnScene;
    QHash<QString, int> FOnSceneOfComputer;
};
