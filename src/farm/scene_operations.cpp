#include "farm/scene_operations.h"

#include "farm/farm.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/files.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/text_routines.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {

// A scene read from its file with the initial options; none when the file will not do.
std::unique_ptr<TScene> ReadNewScene(
    const TFarm& farm, const QString& path, const TSceneSettings& settings, QString* reason)
{
    auto scene = std::make_unique<TScene>(farm.Options.ContentDirectory);
    scene->Settings = settings;
    if (!scene->ReadSceneFile(path, reason))
        return nullptr;
    scene->Statistics.TimeAdd = farm.Now();
    return scene;
}

void AddNewScene(TFarm& farm, std::unique_ptr<TScene> scene, const QString& owner)
{
    scene->MakeSceneCopy(farm.Now());
    scene->Comment = owner;
    farm.Scenes.Add(std::move(scene), true);
}

// The dialog's rule: a range or singles list switched on, or changed while on, starts over.
bool MustStartOver(const TSceneSettings& old, const TSceneSettings& edited)
{
    const bool rangeChanged = edited.Range
        && (!old.Range || old.CurrentFirst != edited.CurrentFirst || old.CurrentLast != edited.CurrentLast
            || old.CurrentStep != edited.CurrentStep);
    const bool singlesChanged = edited.Singles && (!old.Singles || old.SinglesList != edited.SinglesList);
    return rangeChanged || singlesChanged;
}

} // namespace

QString SceneRefusedText(const QString& path, const QString& reason)
{
    return path + QStringLiteral(" was not added: ") + reason
        + QStringLiteral(
            ". Check that the file is a scene saved by LightWave and that this computer can read it.");
}

bool AddSceneFromFile(
    TFarm& farm, const QString& path, const TSceneSettings& settings, const QString& owner, QString* reason)
{
    auto scene = ReadNewScene(farm, path, settings, reason);
    if (!scene)
        return false;
    AddNewScene(farm, std::move(scene), owner);
    return true;
}

void RemoveScene(TFarm& farm, int index)
{
    farm.Scenes.Remove(index);
}

void DuplicateScene(TFarm& farm, int index, const QString& owner)
{
    if (index < 0 || index >= farm.Scenes.Count())
        return;
    const TScene& source = farm.Scenes.Item(index);
    auto copy = std::make_unique<TScene>();
    copy->Filename = source.Filename;
    copy->Verified = source.Verified;
    copy->Copied = source.Copied;
    copy->VerifyTimes = source.VerifyTimes;
    copy->Settings = source.Settings;
    copy->Data = source.Data;
    copy->KestrionFilename = FreeFileName(source.Filename, SceneCopyExtension);
    const bool sourceCopyExists
        = source.KestrionFilename != NoneText && QFileInfo(source.KestrionFilename).isFile();
    if (!sourceCopyExists || !CopyFileTo(source.KestrionFilename, copy->KestrionFilename, false))
        copy->KestrionFilename = NoneText;
    copy->Statistics.TimeAdd = farm.Now();
    copy->Comment = owner;
    copy->Reset(farm.Now());
    farm.Scenes.Add(std::move(copy), true);
}

bool ReloadScene(
    TFarm& farm, int index, const TSceneSettings& settings, const QString& owner, QString* reason)
{
    if (index < 0 || index >= farm.Scenes.Count())
        return false;
    // Read before removing: a scene whose file has gone keeps its place and its progress.
    auto scene = ReadNewScene(farm, farm.Scenes.Item(index).Filename, settings, reason);
    if (!scene)
        return false;
    RemoveScene(farm, index);
    AddNewScene(farm, std::move(scene), owner);
    return true;
}

void MoveScene(TFarm& farm, int from, int to)
{
    farm.Scenes.Move(from, to);
    farm.Scenes.Renumber();
}

void EditSceneFromRecord(TScene& scene, const QStringList& record, TDateTime now)
{
    // Read over a copy, so that whatever the record leaves out stays as it is.
    TScene edited = scene;
    qsizetype index = 0;
    ReadRecord(edited, record, index);

    const TSceneSettings& old = scene.Settings;
    TSceneSettings settings = edited.Settings;
    if (!settings.Range) {
        settings.CurrentFirst = old.CurrentFirst;
        settings.CurrentLast = old.CurrentLast;
        settings.CurrentStep = old.CurrentStep;
    }
    if (!settings.Singles)
        settings.SinglesList = old.SinglesList;
    const bool startOver = MustStartOver(old, settings);
    settings.RangeLast = old.RangeLast;
    settings.SinglesToDo = old.SinglesToDo;
    settings.RenderLast = old.RenderLast;
    settings.MissingList = AddNewNumbers(old.MissingList, edited.Settings.MissingList);
    scene.Settings = settings;

    if (RenderOptions(scene.Data) != RenderOptions(edited.Data)) {
        RenderOptions(scene.Data) = RenderOptions(edited.Data);
        if (scene.KestrionFilename != NoneText)
            scene.RewriteSceneCopy(scene.KestrionFilename);
        // Nodes load the scene again when its stamp moves.
        scene.Edited = now;
    }
    if (startOver)
        scene.Reset(now);
}

namespace {

constexpr int Largest = std::numeric_limits<int>::max();

// The text of an output prefix field: empty for no output.
QString PrefixText(const QString& prefix)
{
    return prefix == NoneText ? QString() : prefix;
}

QString NumberText(int number)
{
    return QString::number(number);
}

void ApplyCommon(TScene& scene, const TSceneEdit& edit)
{
    TSceneData& data = scene.Data;
    TSceneSettings& settings = scene.Settings;
    data.RenderMode = edit.RenderMode;
    data.RayTraceEffects = edit.RayTraceEffects;
    ChangeInteger(edit.RayRecursionLimit, 0, Largest, data.RayRecursionLimit);
    settings.Priority = std::clamp(edit.Priority, 0, 4);
    settings.Platforms = edit.Platforms & PlatformsAll;
    settings.PlatformRenderComputers = edit.PlatformRenderComputers;
    ChangeInteger(edit.PlatformRenderComputersValue, 0, Largest, settings.PlatformRenderComputersValue);
    settings.PlatformRenderPercentage = edit.PlatformRenderPercentage;
    ChangeInteger(edit.PlatformRenderPercentageValue, 0, 100, settings.PlatformRenderPercentageValue);
    settings.PlatformRenderSelected = edit.PlatformRenderSelected;
    settings.PlatformRenderSelectedValue = CleanNumberList(edit.PlatformRenderSelectedValue);
    settings.PlatformRenderMultiprocessor = edit.PlatformRenderMultiprocessor;
    ChangeInteger(
        edit.PlatformRenderMultiprocessorValue, 0, Largest, settings.PlatformRenderMultiprocessorValue);
    settings.PlatformRenderMemory = edit.PlatformRenderMemory;
    ChangeInteger(edit.PlatformRenderMemoryValue, 0, Largest, settings.PlatformRenderMemoryValue);
    settings.AutomaticVerify = edit.AutomaticVerify;
    ChangeInteger(edit.AutomaticVerifyTimes, 0, Largest, settings.AutomaticVerifyTimes);
    settings.AutomaticCopy = edit.AutomaticCopy;
    settings.AutomaticCopyComputer = edit.AutomaticCopyComputer;
    settings.AutomaticCopyDirectory = edit.AutomaticCopyDirectory;
    settings.ContentDirectory = edit.ContentDirectory;
}

void ApplyPerScene(TScene& scene, const TSceneEdit& edit)
{
    TSceneData& data = scene.Data;
    TSceneSettings& settings = scene.Settings;
    settings.Range = edit.Range;
    ChangeInteger(edit.First, 0, Largest, settings.CurrentFirst);
    ChangeInteger(edit.Last, 0, Largest, settings.CurrentLast);
    ChangeInteger(edit.Step, -Largest, Largest, settings.CurrentStep);
    if (settings.CurrentStep == 0)
        settings.CurrentStep = 1;
    settings.Singles = edit.Singles;
    settings.SinglesList = CleanNumberList(edit.SinglesList);
    settings.MissingList = CleanNumberList(edit.MissingList);
    data.SaveRGBImagesPrefix = edit.SaveRGB ? edit.RGBPrefix : NoneText;
    data.SaveAlphaImagesPrefix = edit.SaveAlpha ? edit.AlphaPrefix : NoneText;
    // LightWave's own codes beyond the four the dialog offers are kept.
    if (edit.OutputFilenameFormat >= 0 && edit.OutputFilenameFormat <= 3)
        data.OutputFilenameFormat = edit.OutputFilenameFormat;
    data.RGBImageSaver = edit.RGBImageSaver;
    data.AlphaImageSaver = edit.AlphaImageSaver;
    data.DataOverlayLabel = edit.DataOverlayLabel;
    settings.Log = edit.Log;
    settings.LogFilename = edit.LogFilename;
}

} // namespace

TSceneEdit SceneEditOf(const TScene& scene)
{
    const TSceneData& data = scene.Data;
    const TSceneSettings& settings = scene.Settings;
    TSceneEdit edit;
    edit.Range = settings.Range;
    edit.First = NumberText(settings.CurrentFirst);
    edit.Last = NumberText(settings.CurrentLast);
    edit.Step = NumberText(settings.CurrentStep);
    edit.Singles = settings.Singles;
    edit.SinglesList = settings.SinglesList;
    edit.MissingList = settings.MissingList;
    edit.SaveRGB = data.SaveRGBImagesPrefix != NoneText;
    edit.RGBPrefix = PrefixText(data.SaveRGBImagesPrefix);
    edit.SaveAlpha = data.SaveAlphaImagesPrefix != NoneText;
    edit.AlphaPrefix = PrefixText(data.SaveAlphaImagesPrefix);
    edit.OutputFilenameFormat = data.OutputFilenameFormat;
    edit.RGBImageSaver = data.RGBImageSaver;
    edit.AlphaImageSaver = data.AlphaImageSaver;
    edit.DataOverlayLabel = data.DataOverlayLabel;
    edit.Log = settings.Log;
    edit.LogFilename = settings.LogFilename;
    edit.RenderMode = data.RenderMode;
    edit.RayTraceEffects = data.RayTraceEffects;
    edit.RayRecursionLimit = NumberText(data.RayRecursionLimit);
    edit.Priority = settings.Priority;
    edit.Platforms = settings.Platforms;
    edit.PlatformRenderComputers = settings.PlatformRenderComputers;
    edit.PlatformRenderComputersValue = NumberText(settings.PlatformRenderComputersValue);
    edit.PlatformRenderPercentage = settings.PlatformRenderPercentage;
    edit.PlatformRenderPercentageValue = NumberText(settings.PlatformRenderPercentageValue);
    edit.PlatformRenderSelected = settings.PlatformRenderSelected;
    edit.PlatformRenderSelectedValue = settings.PlatformRenderSelectedValue;
    edit.PlatformRenderMultiprocessor = settings.PlatformRenderMultiprocessor;
    edit.PlatformRenderMultiprocessorValue = NumberText(settings.PlatformRenderMultiprocessorValue);
    edit.PlatformRenderMemory = settings.PlatformRenderMemory;
    edit.PlatformRenderMemoryValue = NumberText(settings.PlatformRenderMemoryValue);
    edit.AutomaticVerify = settings.AutomaticVerify;
    edit.AutomaticVerifyTimes = NumberText(settings.AutomaticVerifyTimes);
    edit.AutomaticCopy = settings.AutomaticCopy;
    edit.AutomaticCopyComputer = settings.AutomaticCopyComputer;
    edit.AutomaticCopyDirectory = settings.AutomaticCopyDirectory;
    edit.ContentDirectory = settings.ContentDirectory;
    return edit;
}

bool ApplySceneEdit(TScene& scene, const TSceneEdit& edit, TDateTime now)
{
    const TSceneSettings old = scene.Settings;
    const TSceneData oldData = scene.Data;
    if (edit.PerScene)
        ApplyPerScene(scene, edit);
    ApplyCommon(scene, edit);
    if (MustStartOver(old, scene.Settings))
        scene.Reset(now);
    return RenderOptions(oldData) != RenderOptions(scene.Data);
}

TScene InitialOptions(const TOptions& options)
{
    TScene initial(options.ContentDirectory);
    qsizetype index = 0;
    ReadRecord(initial, options.SceneDefault, index);
    initial.Filename = QStringLiteral("Initial options");
    return initial;
}

void SaveEditAsDefault(TOptions& options, const TSceneEdit& edit)
{
    TScene scene(options.ContentDirectory);
    TSceneEdit common = edit;
    common.PerScene = false;
    ApplySceneEdit(scene, common, 0);
    options.SceneDefault.clear();
    WriteRecord(scene, options.SceneDefault);
}
