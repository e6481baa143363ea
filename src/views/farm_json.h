#pragma once
// The farm as JSON for scripts: one schema (docs/cli.md) for the command-line client and any
// other reader, built from the farm's lists and not from whoever shows them.

#include "views/look_colours.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class TComputer;
class TComputerList;
class TEventLog;
struct TEvent;
struct TIdleFigures;
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
QJsonObject EventJson(const TEvent& event);
// The events from index `first` on, oldest first.
QJsonArray EventsJson(const TEventLog& events, int first = 0);
// The Master's idle measure, and the colour scheme's shades and state squares for a base colour.
QJsonObject IdleJson(const TIdleFigures& figures);
QJsonObject ColoursJson(TColorRef base);
// The header with the counts of scenes, nodes and frames.
QJsonObject FarmSummaryJson(
    const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers);

// The whole document: version, farm, scenes, computers, and events when `events` is given.
QJsonObject FarmJson(const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers,
    const TEventLog* events = nullptr);
QByteArray FarmJsonText(const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers,
    const TEventLog* events = nullptr);
