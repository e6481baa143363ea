#pragma once
// The farm as JSON for scripts: one schema (docs/cli.md) for the command-line client and any
// other reader, built from the farm's lists and not from whoever shows them.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class TComputer;
class TComputerList;
class TEventLog;
class TScene;
class TSceneList;

// Raised when a reader must tell a changed meaning from an added field.
inline constexpr int FarmJsonVersion = 1;

// Who answers for the farm: the Master's installation name when known, the mode of the
// installation that built the document ("master" or "remote") and how it reached the Master
// ("file", "tcpip", or "local" on the Master itself).
struct TFarmHeader
{
    QString Name;
    QString Mode;
    QString Transport;
};

QJsonObject SceneJson(const TScene& scene, const TComputerList& computers);
QJsonObject ComputerJson(const TComputer& computer, const TSceneList& scenes);
QJsonArray ScenesJson(const TSceneList& scenes, const TComputerList& computers);
QJsonArray ComputersJson(const TComputerList& computers, const TSceneList& scenes);
QJsonArray EventsJson(const TEventLog& events);
// The header with the counts of scenes, nodes and frames.
QJsonObject FarmSummaryJson(
    const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers);

// The whole document: version, farm, scenes, computers, and events when `events` is given.
QJsonObject FarmJson(const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers,
    const TEventLog* events = nullptr);
QByteArray FarmJsonText(const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers,
    const TEventLog* events = nullptr);
