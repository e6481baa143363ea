#include "farm/scene_operations.h"

#include "farm/farm.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/files.h"
#include "support/number_list.h"
#include "support/paths.h"

#include <QFileInfo>

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
