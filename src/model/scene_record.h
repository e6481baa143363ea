#pragma once
// Scene records: the text form of a scene in the state file, scene list files, the state
// snapshot sent to Remotes and remote commands.

#include <QString>
#include <QStringList>

class TScene;
class TSceneList;
class TComputerList;

void WriteRecord(TScene& scene, QStringList& lines);
// Reads the record that starts at `index` into a new scene; `index` ends on the line that closed it.
void ReadRecord(TScene& scene, const QStringList& lines, qsizetype& index);

// The scene list text: a count, then "[SceneN]" and a record per scene.
void SaveToLines(TSceneList& list, QStringList& lines);
// Appends the scenes with their stored IDs.
void LoadFromLines(TSceneList& list, const QStringList& lines);

// Replaces the file atomically; false when it could not be written.
bool SaveSceneList(TSceneList& list, const QString& path);
// False, with the list unchanged, when the file does not exist or cannot be read.
bool LoadSceneList(TSceneList& list, const QString& path);

// The Master's whole state as sent to Remotes. Loading is true only when the lines hold every
// record their counts announce, each closed, and nothing after them.
void SaveState(TSceneList& list, const TComputerList& computers, QStringList& lines);
bool LoadState(TSceneList& list, const QStringList& lines, TComputerList& computers);

inline const QString SceneListWriteError = QStringLiteral(
    "I could not create the scene-list.\nCheck the Commands Directory (Program - Settings - Screamer)");
