#pragma once
// The queue and the nodes as text tables for a terminal, in the farm's words, so a command-line
// client (and anything else without windows) shows the same columns the same way.

#include <QString>
#include <QStringList>

class TComputer;
class TComputerList;
class TSceneList;

// 4 "top", 3 "high", 2 "normal", 1 "low", 0 "none"; another number as itself.
QString PriorityName(int priority);
// The number of a priority word (any case) or of a number from 0 to 4; false for anything else.
bool PriorityFromName(const QString& text, int& priority);

// "[#######.............]  35%": `width` characters between the brackets.
QString ProgressBar(qint64 done, qint64 total, int width = 20);
// A node's piece ("first last step") as "12-14" or "1-9x2"; empty when it holds none.
QString PieceText(const QString& piece);
// The ID of the queued scene the node renders; 0 when it holds no piece of a queued scene.
int NodeSceneID(const TComputer& node, const TSceneList& scenes);

// Rows of padded columns under a header line; the last column is not padded.
QStringList TableLines(const QStringList& header, const QList<QStringList>& rows);

// ID, priority, frames done of total, progress bar, time left, state, scene file name.
QStringList ScenesTable(const TSceneList& scenes, const TComputerList& computers);
// Node number, computer, state, scene (ID and file name), frames of its piece.
QStringList NodesTable(const TComputerList& computers, const TSceneList& scenes);
