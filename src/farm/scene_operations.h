#pragma once
// What the Master does to its queue for the scene commands, whether the user gave them here or a
// Remote sent them. The callers log the events, since their origins differ.

#include "model/scene.h"

#include <QString>
#include <QStringList>

class TFarm;

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
