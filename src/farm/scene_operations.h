#pragma once
// What the Master does to its queue for the scene commands, whether the user gave them here or a
// Remote sent them. The callers log the events, since their origins differ.

#include "model/scene.h"

#include <QString>
#include <QStringList>

class TFarm;
class TOptions;

// The types of the scene commands' events.
inline const QString SceneEventAdd = QStringLiteral("Scenes Add ");
inline const QString SceneEventSend = QStringLiteral("Scenes Send");
inline const QString SceneEventRemove = QStringLiteral("Scenes Remove");
inline const QString SceneEventDuplicate = QStringLiteral("Scenes Duplicate");
inline const QString SceneEventEdit = QStringLiteral("Scenes Edit");
inline const QString SceneEventReset = QStringLiteral("Scenes Reset");
inline const QString SceneEventReload = QStringLiteral("Scenes Reload ");
inline const QString SceneEventMove = QStringLiteral("Scenes Move");
inline const QString SceneEventRefused = QStringLiteral("Scenes Refused");

// The comment of a "Scenes Refused" event: which file, why, and what to check.
QString SceneRefusedText(const QString& path, const QString& reason);

// A new scene from a scene file with the given initial options (the file's own range replaces
// theirs), its private copy made, owned by `owner`, with a new ID. False, with nothing added and
// the reason in `reason`, when the file cannot be read, is no scene or its frame range is
// unusable.
bool AddSceneFromFile(TFarm& farm, const QString& path, const TSceneSettings& settings, const QString& owner,
    QString* reason = nullptr);
// Takes the scene out of the queue and deletes its private copy (unless another scene uses it).
void RemoveScene(TFarm& farm, int index);
// A copy with its own private copy of the scene file, starting over, added behind the scenes of
// its priority.
void DuplicateScene(TFarm& farm, int index, const QString& owner);
// The scene read again from its file with the given initial options: a new ID, a new private
// copy, a fresh start. False, with the old scene kept and the reason in `reason`, when the file
// can no longer be read.
bool ReloadScene(
    TFarm& farm, int index, const TSceneSettings& settings, const QString& owner, QString* reason = nullptr);
// Moves a scene in the queue; the sort by priority then has the last word.
void MoveScene(TFarm& farm, int from, int to);

// Applies a record sent for this scene by a Remote's edit dialog. The record may be minutes
// old, so it brings only what the dialog edits: the scene keeps its identity, its private copy,
// its progress and its statistics, and its missing frames join the record's. A changed range
// or singles list starts the scene over, as the dialog does; changed render options are
// written into the private copy. The caller re-sorts the queue afterwards.
void EditSceneFromRecord(TScene& scene, const QStringList& record, TDateTime now);

// What the scene edit dialog hands over: its fields as typed and its choices. Numbers stay text
// so that a value out of bounds or no number at all keeps the scene's own.
struct TSceneEdit
{
    // Only with one scene: its range, singles, missing frames, outputs and log.
    bool PerScene = true;
    bool Range = false;
    QString First;
    QString Last;
    QString Step;
    bool Singles = false;
    QString SinglesList;
    QString MissingList;
    bool SaveRGB = true;
    QString RGBPrefix;
    bool SaveAlpha = false;
    QString AlphaPrefix;
    int OutputFilenameFormat = 0;
    QString RGBImageSaver;
    QString AlphaImageSaver;
    QString DataOverlayLabel;
    bool Log = false;
    QString LogFilename;

    // Common to every edited scene.
    int RenderMode = 0;
    int RayTraceEffects = 0;
    QString RayRecursionLimit;
    int Priority = 2;
    int Platforms = PlatformsAll;
    bool PlatformRenderComputers = false;
    QString PlatformRenderComputersValue;
    bool PlatformRenderPercentage = false;
    QString PlatformRenderPercentageValue;
    bool PlatformRenderSelected = false;
    QString PlatformRenderSelectedValue;
    bool PlatformRenderMultiprocessor = false;
    QString PlatformRenderMultiprocessorValue;
    bool PlatformRenderMemory = false;
    QString PlatformRenderMemoryValue;
    bool AutomaticVerify = true;
    QString AutomaticVerifyTimes;
    bool AutomaticCopy = false;
    QString AutomaticCopyComputer;
    QString AutomaticCopyDirectory;
    QString ContentDirectory;
};

// The dialog's fields filled from a scene.
TSceneEdit SceneEditOf(const TScene& scene);
// Applies an edit to a scene: integers within their bounds (else the old value stays), a step of 0
// as 1, frame lists cleaned; a range or singles list switched on, or changed while on, starts the
// scene over. True when a render option changed, so the private copy must be rewritten.
bool ApplySceneEdit(TScene& scene, const TSceneEdit& edit, TDateTime now);
// The initial options of new scenes: the options' default scene record.
TScene InitialOptions(const TOptions& options);
// The common settings of an edit become the options' default scene record.
void SaveEditAsDefault(TOptions& options, const TSceneEdit& edit);
