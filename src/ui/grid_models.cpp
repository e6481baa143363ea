#include "ui/grid_models.h"

#include "farm/farm.h"
#include "model/estimate.h"
#include "options/options.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "ui/look.h"

#include <QColor>
#include <algorithm>

namespace {

const QColor White(255, 255, 255);
const QColor Grey(160, 160, 160);

QString YesNo(bool value)
{
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

} // namespace

QString SceneFramesText(const TScene& scene)
{
    const TSceneSettings& s = scene.Settings;
    QString text;
    if (s.Range)
        text = QStringLiteral("%1-%2 (%3)").arg(s.CurrentFirst).arg(s.CurrentLast).arg(s.CurrentStep);
    if (s.Range && s.Singles)
        text += QStringLiteral(" / ");
    if (s.Singles)
        text += s.SinglesList;
    return text;
}

TGridModel::TGridModel(TFarm& farm, QStringList headers)
    : FFarm(farm)
    , FHeaders(std::move(headers))
{ }

void TGridModel::Reload()
{
    const int rows = std::max(1, DataCount());
    if (rows > FRows) {
        beginInsertRows(QModelIndex(), FRows, rows - 1);
        FRows = rows;
        endInsertRows();
    } else if (rows < FRows) {
        beginRemoveRows(QModelIndex(), rows, FRows - 1);
        FRows = rows;
        endRemoveRows();
    }
    // One signal for every cell: a view takes it as "update the viewport", which Qt coalesces.
    Q_EMIT dataChanged(index(0, 0), index(FRows - 1, columnCount() - 1));
}

int TGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FRows;
}

int TGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FHeaders.size());
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= FHeaders.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return FHeaders[section];
    if (role == Qt::ForegroundRole)
        return White;
    return QVariant();
}

QVariant TGridModel::data(const QModelIndex& index, int role) const
{
    // The list may have shrunk since the last Reload: such rows, and the empty row, show nothing.
    if (!index.isValid() || index.row() >= DataCount())
        return role == Qt::ForegroundRole ? QVariant(White) : QVariant();
    return CellData(index.row(), index.column(), role);
}

TSceneGridModel::TSceneGridModel(TFarm& farm)
    : TGridModel(farm,
        { QString(), QStringLiteral("Priority"), QStringLiteral("Cpy"), QStringLiteral("Vfy"),
            QStringLiteral("Allocated"), QStringLiteral("File"), QStringLiteral("Directory"),
            QStringLiteral("Frames"), QStringLiteral("Last"), QStringLiteral("Left") })
{
    Reload();
}

int TSceneGridModel::DataCount() const
{
    return FFarm.Scenes.Count();
}

QVariant TSceneGridModel::CellData(int row, int column, int role) const
{
    const TScene& scene = FFarm.Scenes.Item(row);
    const TSceneSettings& s = scene.Settings;
    if (role == Qt::ForegroundRole) {
        if (column == 5 && !scene.WarningsText().isEmpty())
            return LookAlert();
        return White;
    }
    if (column == 4 && role == ProgressRole)
        return QVariant::fromValue(scene.Progress());
    if (column == 4 && role == PercentRole)
        return scene.PercentDone();
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (column) {
    case 0:
        return QString::number(FFarm.Options.Debug ? scene.ID : row + 1);
    case 1:
        return QString::number(s.Priority);
    case 2:
        return s.AutomaticCopy ? YesNo(scene.Copied) : QString();
    case 3:
        return s.AutomaticVerify ? YesNo(scene.Verified) : QString();
    case 4:
        return QString::number(scene.PercentDone()) + QStringLiteral(" %");
    case 5:
        return ExtractName(scene.Filename);
    case 6:
        return ExtractDirectory(scene.Filename);
    case 7:
        return SceneFramesText(scene);
    case 8:
        return scene.Progress() != TSceneProgress::NothingHandedOut ? QString::number(s.RenderLast)
                                                                    : QString();
    case 9:
        return TimeLeftText(EstimateScene(scene, FFarm.Computers).SecondsLeft);
    }
    return QVariant();
}

TComputerGridModel::TComputerGridModel(TFarm& farm)
    : TGridModel(farm,
        { QString(), QStringLiteral("CPU"), QStringLiteral("Memory"), QStringLiteral("Name"),
            QStringLiteral("Status"), QStringLiteral("Scene"), QStringLiteral("Frames") })
{
    Reload();
}

int TComputerGridModel::DataCount() const
{
    return FFarm.Computers.Count();
}

QVariant TComputerGridModel::CellData(int row, int column, int role) const
{
    const TComputer& computer = FFarm.Computers.Item(row);
    if (role == Qt::ForegroundRole) {
        if (column == 3 && !computer.CrashWatchNote(FFarm.Screamers).isEmpty())
            return LookAlert();
        // Nodes of other installations are greyed out, their numbers excepted.
        if (column != 0 && !NumberInList(computer.Number, FFarm.Options.ScreamerNumbers))
            return Grey;
        return White;
    }
    if (column == 4 && role == StateSquareRole)
        return StateSquareColour(computer.StateCode());
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (column) {
    case 0:
        return QString::number(computer.Number);
    case 1:
        return computer.CPU;
    case 2:
        if (computer.Processors == 1)
            return QString::number(computer.Memory);
        return QStringLiteral("%1/%2").arg(computer.Memory).arg(computer.Processors);
    case 3:
        return computer.Name;
    case 4:
        return computer.StateString;
    case 5:
        return ExtractName(computer.SceneString);
    case 6:
        return computer.Frames;
    }
    return QVariant();
}

TEventGridModel::TEventGridModel(TFarm& farm)
    : TGridModel(farm,
        { QString(), QString(), QStringLiteral("Time"), QStringLiteral("Origin"), QStringLiteral("Type"),
            QStringLiteral("Comment") })
{
    Reload();
}

int TEventGridModel::DataCount() const
{
    return FFarm.Events.Count();
}

QVariant TEventGridModel::CellData(int row, int column, int role) const
{
    if (role == Qt::ForegroundRole)
        return White;
    if (role != Qt::DisplayRole)
        return QVariant();
    const TEvent& event = FFarm.Events.Item(row);
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return event.Marker;
    case 2:
        return event.Time;
    case 3:
        return event.Origin;
    case 4:
        return event.Type;
    case 5:
        return event.Comment;
    }
    return QVariant();
}
