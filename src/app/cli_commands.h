#pragma once
// kestrion-cli's commands on the Master's farm.

#include <QList>
#include <QString>
#include <QStringList>

class TSceneList;
struct TCliArguments;

// The IDs of the scenes the words name: an ID of the queue, or a scene file by its path or its
// file name. False, with the reason, when a word names no scene, or several (they are listed,
// so the user can pick one by ID).
bool ResolveScenes(const TSceneList& scenes, const QStringList& words, QList<int>& ids, QString& error);

// Runs the command against the Master; the exit code (0 done, 1 failed). Tables and JSON go
// to standard output, every failure once to standard error.
int RunCli(const TCliArguments& arguments);
