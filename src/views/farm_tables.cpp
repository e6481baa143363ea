#include "views/farm_tables.h"

#include "model/computer.h"
#include "model/estimate.h"
#include "model/scene_list.h"
#include "support/paths.h"
#include "support/record_text.h"

#include <algorithm>
#include <array>

namespace {

const std::array<QString, 5> PriorityNames = { QStringLiteral("none"), QStringLiteral("low"),
    QStringLiteral("normal"), QStringLiteral("high"), QStringLiteral("top") };

} // namespace

QString PriorityName(int priority)
{
    if (priority < 0 || priority >= int(PriorityNames.size()))
        return QString::number(priority);
    return PriorityNames[size_t(priority)];
}

bool PriorityFromName(const QString& text, int& priority)
{
    for (size_t index = 0; index < PriorityNames.size(); ++index)
        if (text.compare(PriorityNames[index], Qt::CaseInsensitive) == 0 || text == QString::number(index)) {
            priority = int(index);
            return true;
        }
    return false;
}

QString ProgressBar(qint64 done, qint64 total, int width)
{
    const qint64 clamped = std::clamp<qint64>(done, 0, std::max<qint64>(total, 0));
    const double share = total > 0 ? double(clamped) / double(total) : 0.0;
    const int filled = std::clamp(int(share * width), 0, width);
    const int percent = std::clamp(int(share * 100.0), 0, 100);
    return u'[' + QString(filled, u'#') + QString(width - filled, u'.') + u']'
        + QStringLiteral("%1%").arg(percent, 4);
}

QString PieceText(const QString& piece)
{
    if (piece.trimmed().isEmpty())
        return QString();
    QString rest = piece;
    const int first = TakeNumber(rest);
    const int last = TakeNumber(rest);
    const int step = TakeNumber(rest);
    QString text = first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
    if (step > 1 && first != last)
        text += u'x' + QString::number(step);
    return text;
}

int NodeSceneID(const TComputer& node, const TSceneList& scenes)
{
    const TScene* scene = node.HoldsPiece() ? scenes.SceneOfNode(node) : nullptr;
    return scene ? scene->ID : 0;
}

QStringList TableLines(const QStringList& header, const QList<QStringList>& rows)
{
    QList<qsizetype> widths;
    for (const QString& cell : header)
        widths << cell.size();
    for (const QStringList& row : rows)
        for (qsizetype column = 0; column < row.size() && column < widths.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    const auto line = [&widths](const QStringList& cells) {
        QString text;
        for (qsizetype column = 0; column < cells.size(); ++column) {
            const bool last = column + 1 == cells.size();
            text += last ? cells[column]
                         : cells[column].leftJustified(widths.value(column)) + QStringLiteral("  ");
        }
        // Empty last cells leave no blanks at the end of the line.
        while (text.endsWith(u' '))
            text.chop(1);
        return text;
    };
    QStringList lines { line(header) };
    for (const QStringList& row : rows)
        lines << line(row);
    return lines;
}

QStringList ScenesTable(const TSceneList& scenes, const TComputerList& computers)
{
    QList<QStringList> rows;
    for (int index = 0; index < scenes.Count(); ++index) {
        const TScene& scene = scenes.Item(index);
        const TSceneEstimate estimate = EstimateScene(scene, computers);
        rows << QStringList { QString::number(scene.ID), PriorityName(scene.Settings.Priority),
            QStringLiteral("%1/%2").arg(estimate.FramesDone).arg(estimate.FramesTotal),
            ProgressBar(estimate.FramesDone, estimate.FramesTotal), TimeLeftText(estimate.SecondsLeft),
            SceneStateText(estimate.State), ExtractName(scene.Filename) };
    }
    return TableLines({ QStringLiteral("ID"), QStringLiteral("PRIORITY"), QStringLiteral("FRAMES"),
                          QStringLiteral("PROGRESS"), QStringLiteral("LEFT"), QStringLiteral("STATE"),
                          QStringLiteral("SCENE") },
        rows);
}

QStringList NodesTable(const TComputerList& computers, const TSceneList& scenes)
{
    QList<QStringList> rows;
    for (int index = 0; index < computers.Count(); ++index) {
        const TComputer& node = computers.Item(index);
        const int id = NodeSceneID(node, scenes);
        QString scene;
        if (node.HoldsPiece())
            scene = (id > 0 ? QString::number(id) + u' ' : QString()) + ExtractName(node.SceneString);
        rows << QStringList { QString::number(node.Number), node.Name, node.StateString, scene,
            PieceText(node.Frames) };
    }
    return TableLines({ QStringLiteral("NODE"), QStringLiteral("COMPUTER"), QStringLiteral("STATE"),
                          QStringLiteral("SCENE"), QStringLiteral("FRAMES") },
        rows);
}
