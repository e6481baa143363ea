#include "demo_farm.h"

#include "options/options.h"
#include "support/paths.h"
#include "support/text_file.h"

#include <QDir>

namespace {

const QString ConfigNumber = QStringLiteral("3");

QStringList MainConfigLines(const TDemoFarm& farm)
{
    return {
        QStringLiteral("LWSN Settings 3"),
        QStringLiteral("DefaultFrameRate 25"),
        QStringLiteral("ContentDirectory ") + farm.ContentDirectory,
        QStringLiteral("RenderThreads 2"),
    };
}

QStringList PluginEntry(const QString& kind, const QString& name, const QString& module)
{
    return {
        QStringLiteral("{ Entry"),
        QStringLiteral("  Class \"%1\"").arg(kind),
        QStringLiteral("  Name \"%1\"").arg(name),
        QStringLiteral("  Module \"%1\"").arg(module),
        QStringLiteral("}"),
    };
}

QStringList PluginConfigLines(const TDemoFarm& farm)
{
    const QString images = JoinPath(farm.ConfigDirectory, QStringLiteral("Plugins/images.p"));
    return PluginEntry(QStringLiteral("ImageLoader"), QStringLiteral("LW_TGA(.tga)"), images)
        + PluginEntry(QStringLiteral("ImageSaver"), QStringLiteral("LW_TGA24(.tga)"), images)
        + PluginEntry(QStringLiteral("ImageSaver"), QStringLiteral("LW_PNG(.png)"), images)
        + PluginEntry(QStringLiteral("ImageSaver"), QStringLiteral("LW_BMP(.bmp)"), images);
}

// A teapot under one light. The outputs name their directory in full, as a farm's scenes
// do, so every node writes to the same place and the scene shows no warning.
QStringList SceneLines(const QString& renders, const QString& name, int firstFrame, int lastFrame)
{
    const QString prefix = JoinPath(renders, name);
    return {
        QStringLiteral("LWSC"),
        QStringLiteral("3"),
        QString(),
        QStringLiteral("FirstFrame %1").arg(firstFrame),
        QStringLiteral("LastFrame %1").arg(lastFrame),
        QStringLiteral("FrameStep 1"),
        QStringLiteral("FramesPerSecond 25"),
        QString(),
        QStringLiteral("LoadObject Objects/teapot.lwo"),
        QStringLiteral("ShowObject 6 7"),
        QStringLiteral("ObjectMotion (unnamed)"),
        QStringLiteral("  9"),
        QStringLiteral("  2"),
        QStringLiteral("  0 0 0 0 0 0 1 1 1"),
        QStringLiteral("  0 0 0 0 0"),
        QStringLiteral("  0 0 0 360 0 0 1 1 1"),
        QStringLiteral("  47 0 0 0 0"),
        QString(),
        QStringLiteral("AmbientColor 255 255 255"),
        QStringLiteral("AmbIntensity 0.25"),
        QString(),
        QStringLiteral("AddLight"),
        QStringLiteral("LightName Sun"),
        QStringLiteral("LightMotion (unnamed)"),
        QStringLiteral("  9"),
        QStringLiteral("  1"),
        QStringLiteral("  0 2 -2 45 30 0 1 1 1"),
        QStringLiteral("  0 0 0 0 0"),
        QStringLiteral("LightType 0"),
        QString(),
        QStringLiteral("ShowCamera 1 2"),
        QStringLiteral("CameraMotion (unnamed)"),
        QStringLiteral("  9"),
        QStringLiteral("  1"),
        QStringLiteral("  0 1 -4 0 10 0 1 1 1"),
        QStringLiteral("  0 0 0 0 0"),
        QStringLiteral("ZoomFactor 3.2"),
        QStringLiteral("Resolution 1"),
        QStringLiteral("CustomSize 320 240"),
        QStringLiteral("NTSCWidescreen 0"),
        QStringLiteral("PixelAspectRatio 0"),
        QStringLiteral("LimitedRegion 0"),
        QStringLiteral("SegmentMemory 8800000"),
        QStringLiteral("Antialiasing 2"),
        QStringLiteral("EnhancedAA 1"),
        QStringLiteral("FilterType 0"),
        QStringLiteral("AdaptiveSampling 1"),
        QStringLiteral("AdaptiveThreshold 16"),
        QStringLiteral("FilmSize 2"),
        QStringLiteral("FieldRendering 0"),
        QStringLiteral("MotionBlur 0"),
        QString(),
        QStringLiteral("SolidBackdrop 1"),
        QStringLiteral("BackdropColor 0 0 0"),
        QString(),
        QStringLiteral("RenderMode 2"),
        QStringLiteral("RayTraceEffects 3"),
        QStringLiteral("RayRecursionLimit 12"),
        QStringLiteral("DataOverlayLabel Kestrion demo"),
        QStringLiteral("OutputFilenameFormat 1"),
        QStringLiteral("SaveRGB 1"),
        QStringLiteral("SaveRGBImagesPrefix %1_").arg(prefix),
        QStringLiteral("RGBImageSaver LW_PNG(.png)"),
        QStringLiteral("SaveAlpha 1"),
        QStringLiteral("SaveAlphaImagesPrefix %1_alpha_").arg(prefix),
        QStringLiteral("AlphaImageSaver LW_TGA24(.tga)"),
        QString(),
        QStringLiteral("ViewMode 5"),
        QStringLiteral("ViewAimpoint 0 0 0"),
        QStringLiteral("ViewDirection 0 -0.5 0"),
        QStringLiteral("ViewZoomFactor 3.2"),
        QStringLiteral("LayoutGrid 8"),
        QStringLiteral("GridSize 1"),
    };
}

bool MakeDirectories(const TDemoFarm& farm, QString& error)
{
    const QString sceneDirectory = ExtractDirectory(farm.ScenePath);
    for (const QString& directory :
        { farm.CommandsDirectory, farm.ConfigDirectory, sceneDirectory, farm.TempDirectory }) {
        if (!QDir().mkpath(directory)) {
            error = QStringLiteral("cannot make the directory ") + directory;
            return false;
        }
    }
    return true;
}

bool WriteFile(const QString& path, const QStringList& lines, QString& error)
{
    QString reason;
    if (WriteTextLines(path, lines, TTextEncoding::Utf8, &reason))
        return true;
    error = QStringLiteral("cannot write %1: %2").arg(path, reason);
    return false;
}

// The settings both installations share: where the farm's files are.
void SetFarmPaths(const TDemoFarm& farm, TOptions& options)
{
    options.ScreamerDirectory = farm.CommandsDirectory;
    options.ScreamerConfig = farm.ConfigDirectory;
    options.ConfigNumber = ConfigNumber;
}

} // namespace

TDemoFarm DemoFarmPaths(const QString& root, const QString& nodeProgram)
{
    TDemoFarm farm;
    farm.Root = root;
    farm.CommandsDirectory = JoinPath(root, QStringLiteral("commands"));
    farm.ConfigDirectory = JoinPath(root, QStringLiteral("config"));
    farm.ContentDirectory = JoinPath(root, QStringLiteral("content"));
    farm.ScenePath = JoinPath(farm.ContentDirectory, QStringLiteral("Scenes/demo.lws"));
    farm.MasterOptionsName = JoinPath(root, QStringLiteral("DemoMaster"));
    farm.EventsFile = JoinPath(root, QStringLiteral("Events.txt"));
    farm.MasterLog = JoinPath(root, QStringLiteral("kestriond.log"));
    farm.TempDirectory = JoinPath(root, QStringLiteral("tmp"));
    farm.NodeProgram = nodeProgram;
    return farm;
}

void LoadMasterOptions(const TDemoFarm& farm, TOptions& options)
{
    options.SetFileName(farm.MasterOptionsName + QStringLiteral(".ini"));
    options.Load();
    SetFarmPaths(farm, options);
    options.Master = true;
    options.ScreamerFilename = farm.NodeProgram;
    options.ScreamerNumbers = DemoNodeNumbers;
    options.ScreamerName = QStringLiteral("DemoMaster");
    options.MasterScreamerComputers = DemoNodeCount;
    options.MasterRenderInterval = DemoMasterIntervalMs;
    options.MasterScanRemote = true;
    options.MasterScenesVerify = true;
    options.ScreamerHide = true;
    options.EventsFile = true;
    options.EventsFileName = farm.EventsFile;
    options.MasterWebPort = farm.WebPort;
    options.ReadLightWaveConfig();
}

void LoadRemoteOptions(const TDemoFarm& farm, TOptions& options)
{
    options.SetFileName(JoinPath(farm.Root, QStringLiteral("DemoRemote.ini")));
    options.Load();
    SetFarmPaths(farm, options);
    options.Master = false;
    options.ScreamerName = QStringLiteral("DemoRemote");
    options.ScreamerNumbers = QStringLiteral("9");
    options.ReadLightWaveConfig();
}

bool MakeDemoFarm(const TDemoFarm& farm, QString& error, bool watchAcks)
{
    const QString renders = JoinPath(farm.ContentDirectory, QStringLiteral("Renders"));
    if (!MakeDirectories(farm, error)
        || !WriteFile(JoinPath(farm.ConfigDirectory, QStringLiteral("lw3.cfg")), MainConfigLines(farm), error)
        || !WriteFile(
            JoinPath(farm.ConfigDirectory, QStringLiteral("lwext3.cfg")), PluginConfigLines(farm), error)
        || !WriteFile(farm.ScenePath,
            SceneLines(renders, QStringLiteral("demo"), DemoFirstFrame, DemoLastFrame), error))
        return false;
    for (const TDemoScene& scene : DemoExtraScenes) {
        const QString path = JoinPath(ExtractDirectory(farm.ScenePath), scene.Name + QStringLiteral(".lws"));
        if (!WriteFile(path, SceneLines(renders, scene.Name, scene.FirstFrame, scene.LastFrame), error))
            return false;
    }
    TOptions options;
    LoadMasterOptions(farm, options);
    options.MasterWatchAcks = watchAcks;
    if (options.Save())
        return true;
    error = QStringLiteral("cannot write the options file ") + options.FileName();
    return false;
}
