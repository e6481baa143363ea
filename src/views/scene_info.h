#pragma once
// The texts of the info window's pages, built from a scene, a node or the farm, so that they
// are the same wherever they are shown and can be checked without windows.

#include "model/scene.h"
#include "support/date_time.h"

#include <QString>

class TComputer;
class TComputerList;
struct TSceneEstimate;
class TFarm;

// "Wireframe", "Quickshade", "Realistic" or "RenderGL", with the ray-traced effects.
QString RenderModeText(const TSceneData& data);
QString CameraSizeText(const TSceneData& data);
QString AntialiasingText(const TSceneData& data);
// Fields and motion blur.
QString CameraOptionsText(const TSceneData& data);
// "All", "None" or the allowed platforms of a TPlatform bit set.
QString PlatformText(int platforms);
QString RestrictionsText(const TSceneSettings& settings);
// The frame whose output names the info shows: the range's first frame, else the first single
// frame, else frame 1.
qint64 FirstFrameToRender(const TScene& scene);
// The file name of that frame; empty when the scene writes no such images.
QString OutputNameText(const TScene& scene, TFrameKind kind, const QString& contentDirectory);
// A moment as date and time; empty for the zero moment, which stands for "never".
QString MomentText(TDateTime moment);

struct TSceneInfo
{
    QString Caption;
    QString KestrionFilename;
    QString AddedAt;
    QString By;
    QString RenderTime;
    QString OutputColor;
    QString OutputAlpha;
    QString Mode;
    QString Size;
    QString Antialiasing;
    QString CameraOptions;
    QString Platform;
    QString Restrictions;
    QString Verified;
    QString Warning;
};

// The estimate of the time left counts the nodes of `computers` on the scene.
TSceneInfo SceneInfo(const TScene& scene, const QString& contentDirectory, const TComputerList& computers);
// "(on 3 nodes) 00:12:30", or that nothing has been booked to go by.
QString TimeLeftInfo(const TSceneEstimate& estimate);

struct TComputerInfo
{
    QString Caption;
    QString RenderStart;
    QString ScreamerStart;
    QString LastRenderTime;
    QString AverageTime;
    QString Warning;
};

// `crashNote`: what TComputer::CrashWatchNote says about the node.
TComputerInfo ComputerInfo(const TComputer& computer, const QString& crashNote);

struct TSummaryInfo
{
    QString ScenesToRender;
    QString FramesToRender;
    QString ContentDirectory;
    QString TotalProcessors;
};

TSummaryInfo SummaryInfo(const TFarm& farm);
