#pragma once
// Where a scene stands and how long it still needs, read the same way by the grid, the info
// window, the command-line client and the web page.

#include "support/date_time.h"

#include <QString>

class TScene;
class TComputerList;

enum class TSceneState
{
    Waiting, // frames to do, no node on it
    Rendering, // a node holds a piece of it
    Finished, // every frame booked, not (yet) verified
    Verified,
    FramesMissing // verified as often as allowed and frames are still missing
};

struct TSceneEstimate
{
    TSceneState State = TSceneState::Waiting;
    qint64 FramesTotal = 0;
    // Frames neither waiting to be handed out nor in a node's open piece.
    qint64 FramesDone = 0;
    // Nodes holding a piece of the scene.
    int Nodes = 0;
    // The average booked frame time times the frames not done, shared by the nodes on the scene
    // (at least one); a negative value while no frame has been booked.
    double SecondsLeft = -1;
};

TSceneEstimate EstimateScene(const TScene& scene, const TComputerList& computers);

// "waiting", "rendering", "finished", "verified", "frames missing".
QString SceneStateText(TSceneState state);
// The estimate as "hh:mm:ss"; empty when there is none.
QString TimeLeftText(double seconds);
