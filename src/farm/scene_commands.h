#pragma once
// The user's commands on the queue, the computer list and the event messages, as the menus and
// grids give them. On the Master they change the farm; on a Remote they go to the Master as
// remote commands and are only logged here.
//
// Scenes are passed by ID and taken from the marked rows before any question: ticks and the
// commands of other Remotes run on while a question is open, so each ID is looked up again
// after asking and a scene that has gone meanwhile is skipped, never mistaken for the scene
// that took its row. Each command returns false when it did nothing.

#include <QList>
#include <QString>
#include <QStringList>

class TFarm;
class TScene;
class TSceneList;
struct TSceneEdit;

inline const QString SceneEventVerify = QStringLiteral("Scenes Verify");
inline const QString SceneEventListOpen = QStringLiteral("Scenes List Open");
inline const QString SceneEventListSave = QStringLiteral("Scenes List Save");
inline const QString SceneEventFrameManager = QStringLiteral("Scenes Frame Manager");
inline const QString EventMessageEvent = QStringLiteral("Event Message");

inline const QString RemoveScenesQuestion
    = QStringLiteral("Are you sure you want to remove the selected scenes?");
inline const QString ResetScenesQuestion
    = QStringLiteral("Are you sure you want to reset the selected scenes?");
inline const QString AllScenesCompleteText = QStringLiteral("All selected scenes are rendered correctly");
inline const QString EventMessageCaption = QStringLiteral("Enter message...");
inline const QString SceneGoneText = QStringLiteral(
    "The scene with ID %1 left the queue while it was being edited; the edit was not applied to it.");
inline const QString SceneListReadError = QStringLiteral("I could not read the scene-list:\n%1");

// The IDs of the scenes at list indexes top..bottom, clipped to the list; none when top < 0.
QList<int> SceneIdsOfRows(const TSceneList& scenes, int top, int bottom);

// Scene files with the initial options (`initial`'s settings). The Master adds them; a Remote
// sends them.
bool AddScenes(TFarm& farm, const QStringList& paths, const TScene& initial);
bool RemoveScenes(TFarm& farm, const QList<int>& ids);
bool DuplicateScenes(TFarm& farm, const QList<int>& ids);
// The Master resets without asking; a Remote asks first.
bool ResetScenes(TFarm& farm, const QList<int>& ids);
// Checks the rendered frames on disk. The Master offers to queue missing frames again (never
// those a node is rendering right now); a Remote only shows them, the Master owns the queue.
bool VerifyScenes(TFarm& farm, const QList<int>& ids);
// Marks the scenes for the edit dialog (only they are Selected) and logs each; the IDs of
// those still in the queue.
QList<int> BeginEditScenes(TFarm& farm, const QList<int>& ids);
// The dialog's OK. The Master applies the edit to each scene still in the queue (one gone
// meanwhile is skipped with an event), rewrites the private copies whose render options changed
// and re-sorts; a Remote applies it to its own view of the scenes and sends their records.
bool EditScenes(TFarm& farm, const QList<int>& ids, const TSceneEdit& edit);
// Each scene read again from its file with the initial options `initial`; the Master works
// from the bottom up, a Remote sends the IDs and the initial options.
bool ReloadScenes(TFarm& farm, const QList<int>& ids, const TScene& initial);
// A dragged row, as list indexes; the sort by priority has the last word.
bool MoveSceneRow(TFarm& farm, int from, int to);

// Master only: appends the scenes of a list file. A scene whose ID another scene holds gets a
// new one, and one whose private copy is missing or shared gets its own: two scenes must never
// answer to the same ID or render from the same copy.
bool OpenSceneList(TFarm& farm, const QString& path);
bool SaveSceneListAs(TFarm& farm, const QString& path);

// Remote only: a line of text for the people at the Master.
bool SendEventMessage(TFarm& farm);

// Master only: a dragged row of the computer grid, as list indexes.
bool MoveComputer(TFarm& farm, int from, int to);
