#pragma once
// What the demo reads of the Master's state files, and how it shows the farm at work.

#include "model/computer.h"
#include "model/scene_list.h"

#include <QList>
#include <QStringList>

class TOptions;

// The Master's lists as it last stored them for Remotes; a file not written yet leaves its
// list empty.
struct TFarmState
{
    TSceneList Scenes;
    TComputerList Computers;
};

void ReadFarmState(const TOptions& master, TFarmState& state);
const TScene* FindScene(const TSceneList& scenes, const QString& path);
int CountNodesInState(const TComputerList& nodes, TNodeState state);

// The range frames whose file of this kind is not on disk.
QList<qint64> MissingFrameFiles(
    const TScene& scene, TFrameKind kind, const QString& fallbackContentDirectory);

// A bar of frames done, the count and the percentage.
QString ProgressLine(int done, int total);
// One line per node: its number, state and the frames it holds.
QStringList NodeLines(const TComputerList& nodes);

// Shows the status block: redrawn in place on a terminal, otherwise one line for each change.
class TStatusDisplay
{
public:
    explicit TStatusDisplay(bool terminal);

    void Show(const QStringList& lines);
    // Prints a message below the block; the next block starts under it.
    void Message(const QString& text);

private:
    bool FTerminal;
    QStringList FShown;
};

bool StandardOutputIsTerminal();

// A line on standard output, shown at once.
void PrintLine(const QString& text);
