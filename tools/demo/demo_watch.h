#pragma once
// Watching the demo farm: waits for the nodes, sends the scene, shows the progress, and knows
// when the work is done or something went wrong.

#include "demo_farm.h"
#include "demo_remote.h"
#include "demo_status.h"
#include "options/options.h"
#include "support/date_time.h"

#include <QElapsedTimer>
#include <QMap>
#include <map>

class QProcess;

// What the summary tells of a finished run.
struct TDemoFigures
{
    int Frames = 0;
    int FrameFiles = 0;
    double WallSeconds = 0; // from sending the scene to finding every frame
    double AverageFrameSeconds = 0;
    double RenderSeconds = 0; // the nodes' time on pieces, as the Master booked it
    double SpanSeconds = 0; // from the first piece handed out to the last one booked
    double MasterCpuSeconds = 0; // the Master's processor time, from its start to the end
    double MasterSeconds = 0; // the Master's time so far
};

inline constexpr int DemoPollMilliseconds = 500;
inline constexpr qint64 DemoStallMilliseconds = 60 * 1000;
inline constexpr qint64 DemoLimitMilliseconds = 4 * 60 * 1000;

class TDemoWatch
{
public:
    TDemoWatch(const TDemoFarm& farm, QProcess& master, TStatusDisplay& display);

    // True once the scene is rendered, verified by the Master and every frame file found. False
    // with Failure set when the Master or a node was lost, frames are missing after all, nothing
    // moved for a minute, or the whole run took too long.
    bool Run();

    bool Interrupted = false;
    QString Failure;
    TDemoFigures Figures;
    // The node processes seen, by node number.
    std::map<int, qint64> NodeProcesses;

private:
    enum class TPhase
    {
        StartingNodes,
        Rendering,
        Done
    };

    // One look at the farm; false when the watch is over.
    bool Step();
    bool Fail(const QString& text);
    bool CheckMaster();
    bool CheckNodeProcesses();
    // What each node did when last seen, for the message when it vanishes.
    void RememberNodes(const TComputerList& nodes);
    void StartingNodes(const TFarmState& state);
    void Rendering(const TFarmState& state);
    void FollowScene(const TScene& scene, const TFarmState& state);
    void Finish(const TScene& scene, const TFarmState& state);
    // Fails when neither the lines shown nor the count of failed verifications changed for a minute.
    void CheckStall(const QStringList& lines, int verifyTimes = 0);
    QString StallText() const;
    void Wait();

    const TDemoFarm& FFarm;
    QProcess& FMaster;
    TStatusDisplay& FDisplay;
    TOptions FOptions;
    TDemoRemote FRemote;
    TPhase FPhase = TPhase::StartingNodes;
    QElapsedTimer FSinceStart;
    QElapsedTimer FSinceSent;
    QElapsedTimer FSinceChange;
    QStringList FLastLines;
    int FLastVerifyTimes = 0;
    TDateTime FFirstPiece = 0;
    QMap<int, QString> FLastNodeLines;
};
