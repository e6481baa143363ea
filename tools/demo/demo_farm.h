#pragma once
// The demo farm, all in one directory: the commands directory, LightWave's configuration, a
// content directory with one scene, and the Master's options.

#include <QString>

class TOptions;

inline constexpr int DemoFirstFrame = 1;
inline constexpr int DemoLastFrame = 48;
inline constexpr int DemoFrameCount = DemoLastFrame - DemoFirstFrame + 1;
inline constexpr int DemoNodeCount = 4;
// The Master's tick: short, so the demo takes about a minute.
inline constexpr int DemoMasterIntervalMs = 500;
inline const QString DemoNodeNumbers = QStringLiteral("1 2 3 4");

// Scenes beside demo.lws that the window demo queues too, so the queue has something to show.
struct TDemoScene
{
    QString Name;
    int FirstFrame;
    int LastFrame;
};
inline const TDemoScene DemoExtraScenes[]
    = { { QStringLiteral("city_flyby"), 1, 120 }, { QStringLiteral("logo_spin"), 10, 70 } };

struct TDemoFarm
{
    QString Root;
    QString CommandsDirectory;
    QString ConfigDirectory;
    QString ContentDirectory;
    QString ScenePath;
    // The Master's options file without ".ini", as kestriond takes it.
    QString MasterOptionsName;
    QString EventsFile;
    QString MasterLog;
    // kestriond's temporary directory, so its lock is the demo's own.
    QString TempDirectory;
    QString NodeProgram;
    // The Master's status page on 127.0.0.1; 0 for none.
    int WebPort = 0;
};

TDemoFarm DemoFarmPaths(const QString& root, const QString& nodeProgram);

// The Master's options as the demo writes them.
void LoadMasterOptions(const TDemoFarm& farm, TOptions& options);
// The options of the Remote through which the demo sends its scene.
void LoadRemoteOptions(const TDemoFarm& farm, TOptions& options);

// Writes every directory and file of the farm; false with `error` set when one could not be made.
// `watchAcks`: the Master takes the nodes' acks as the file system tells of them, not only on
// its tick.
bool MakeDemoFarm(const TDemoFarm& farm, QString& error, bool watchAcks = true);
