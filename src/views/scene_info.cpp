#include "views/scene_info.h"

#include "events/event_log.h"
#include "farm/farm.h"
#include "model/computer.h"
#include "model/estimate.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/record_text.h"

#include <QStringList>

namespace {

// Items each ending in " | ", the last separator cut off.
QString JoinItems(const QString& items)
{
    return items.left(qMax<qsizetype>(0, items.size() - 3));
}

} // namespace

QString RenderModeText(const TSceneData& data)
{
    static const QStringList modes { QStringLiteral("Wireframe"), QStringLiteral("Quickshade"),
        QStringLiteral("Realistic"), QStringLiteral("RenderGL") };
    if (data.RenderMode < 0 || data.RenderMode >= modes.size())
        return QString();
    QString text = modes[data.RenderMode];
    const bool realistic = data.RenderMode == 2;
    // "With" and no effect after it would read as a cut-off text: ray tracing is on when any
    // effect is.
    if ((realistic || data.RenderMode == 3) && (data.RayTraceEffects & 7) != 0) {
        QString effects;
        if (data.RayTraceEffects & 1)
            effects += QStringLiteral("Shadows | ");
        if (data.RayTraceEffects & 2)
            effects += QStringLiteral("Reflection | ");
        if (data.RayTraceEffects & 4)
            effects += QStringLiteral("Refraction | ");
        text += QStringLiteral("   with   ") + JoinItems(effects);
        if (realistic)
            text += QStringLiteral(" (Ray Recursion %1)").arg(data.RayRecursionLimit);
    }
    return text;
}

QString CameraSizeText(const TSceneData& data)
{
    static const QStringList sizes { QStringLiteral("Super Low Res"), QStringLiteral("Low Resolution"),
        QStringLiteral("Medium Resolution"), QStringLiteral("High Resolution"),
        QStringLiteral("Print Resolution") };
    QString text;
    if (data.CustomSize)
        text = QStringLiteral("Custom Resolution %1x%2").arg(data.CustomWidth).arg(data.CustomHeight);
    else if (data.Resolution >= -1 && data.Resolution + 1 < sizes.size())
        text = sizes[data.Resolution + 1];
    if (data.LimitedRegion)
        text += QStringLiteral("  |  Limited Region");
    return text;
}

QString AntialiasingText(const TSceneData& data)
{
    static const QStringList levels { QStringLiteral("Off"), QStringLiteral("Low"), QStringLiteral("Medium"),
        QStringLiteral("High") };
    QString text;
    if (data.Antialiasing >= 0 && data.Antialiasing < levels.size())
        text = levels[data.Antialiasing];
    if (data.EnhancedAA)
        text += QStringLiteral(" Enhanced");
    if (data.AdaptiveSampling)
        text += QStringLiteral("  |  Adaptive Sampling %1").arg(data.AdaptiveThreshold);
    if (data.FilterType != 0)
        text += QStringLiteral("  |  Soft Filter");
    return text;
}

QString CameraOptionsText(const TSceneData& data)
{
    QString items;
    if (data.FieldRendering)
        items += QStringLiteral("Fields | ");
    if (data.MotionBlur != 0)
        items += QStringLiteral("Motion Blur | ");
    return JoinItems(items);
}

QString PlatformText(int platforms)
{
    if ((platforms & PlatformsAll) == PlatformsAll)
        return QStringLiteral("All");
    if ((platforms & PlatformsAll) == 0)
        return QStringLiteral("None");
    QString items;
    if (platforms & PlatformIntel)
        items += QStringLiteral("Intel | ");
    if (platforms & PlatformAlpha)
        items += QStringLiteral("Alpha | ");
    if (platforms & PlatformMacintosh)
        items += QStringLiteral("Macintosh | ");
    if (platforms & PlatformSilicon)
        items += QStringLiteral("Silicon | ");
    return JoinItems(items);
}

QString RestrictionsText(const TSceneSettings& settings)
{
    QString items;
    if (settings.PlatformRenderComputers)
        items += QStringLiteral("Maximum %1 computers | ").arg(settings.PlatformRenderComputersValue);
    if (settings.PlatformRenderPercentage)
        items += QStringLiteral("Maximum %1 % of computers | ").arg(settings.PlatformRenderPercentageValue);
    if (settings.PlatformRenderSelected)
        items += QStringLiteral("Only selected computers | ");
    if (settings.PlatformRenderMultiprocessor)
        items += QStringLiteral("Maximum %1 Screamers on multiprocesor | ")
                     .arg(settings.PlatformRenderMultiprocessorValue);
    if (settings.PlatformRenderMemory)
        items
            += QStringLiteral("Only computers with %1 MB Memory | ").arg(settings.PlatformRenderMemoryValue);
    return JoinItems(items);
}

qint64 FirstFrameToRender(const TScene& scene)
{
    if (scene.Settings.Range)
        return scene.Settings.CurrentFirst;
    QString singles = scene.Settings.SinglesList.trimmed();
    if (scene.Settings.Singles && !singles.isEmpty())
        return TakeNumber(singles);
    return 1;
}

QString OutputNameText(const TScene& scene, TFrameKind kind, const QString& contentDirectory)
{
    const QString& prefix
        = kind == TFrameKind::RGB ? scene.Data.SaveRGBImagesPrefix : scene.Data.SaveAlphaImagesPrefix;
    if (prefix == NoneText)
        return QString();
    return scene.FrameFileName(FirstFrameToRender(scene), kind, contentDirectory);
}

QString MomentText(TDateTime moment)
{
    return moment == 0 ? QString() : EventTimeText(moment);
}

QString TimeLeftInfo(const TSceneEstimate& estimate)
{
    if (estimate.SecondsLeft < 0)
        return QStringLiteral("(no frame booked yet)");
    const QString nodes
        = estimate.Nodes > 1 ? QString::number(estimate.Nodes) + QStringLiteral(" nodes") : QStringLiteral("one node");
    return QStringLiteral("(on ") + nodes + QStringLiteral(") ") + TimeLeftText(estimate.SecondsLeft);
}

TSceneInfo SceneInfo(const TScene& scene, const QString& contentDirectory, const TComputerList& computers)
{
    TSceneInfo info;
    info.Caption = QStringLiteral("Scene info  |  ") + ExtractName(scene.Filename);
    info.KestrionFilename = scene.KestrionFilename;
    info.AddedAt = MomentText(scene.Statistics.TimeAdd);
    info.By = scene.Comment;
    info.RenderTime = scene.Statistics.StatisticsText(TimeLeftInfo(EstimateScene(scene, computers)));
    info.OutputColor = OutputNameText(scene, TFrameKind::RGB, contentDirectory);
    info.OutputAlpha = OutputNameText(scene, TFrameKind::Alpha, contentDirectory);
    info.Mode = RenderModeText(scene.Data);
    info.Size = CameraSizeText(scene.Data);
    info.Antialiasing = AntialiasingText(scene.Data);
    info.CameraOptions = CameraOptionsText(scene.Data);
    info.Platform = PlatformText(scene.Settings.Platforms);
    info.Restrictions = RestrictionsText(scene.Settings);
    info.Verified = QStringLiteral("%1 times").arg(scene.VerifyTimes);
    info.Warning = scene.WarningsText();
    return info;
}

TComputerInfo ComputerInfo(const TComputer& computer, const QString& crashNote)
{
    TComputerInfo info;
    info.Caption = QStringLiteral("Computer info  |  ") + computer.Name;
    info.RenderStart = MomentText(computer.RenderStart);
    info.ScreamerStart = MomentText(computer.ScreamerStart);
    info.LastRenderTime = DurationText(computer.LastRenderTime);
    info.AverageTime = computer.AverageTimeText();
    info.Warning = crashNote;
    return info;
}

TSummaryInfo SummaryInfo(const TFarm& farm)
{
    TSummaryInfo info;
    info.ScenesToRender
        = QStringLiteral("%1 of %2").arg(farm.Scenes.CountUnfinished()).arg(farm.Scenes.Count());
    info.FramesToRender
        = QStringLiteral("%1 of %2").arg(farm.Scenes.FramesLeft()).arg(farm.Scenes.TotalFrames());
    info.ContentDirectory = farm.Options.ContentDirectory;
    info.TotalProcessors = QString::number(farm.Computers.Count());
    return info;
}
