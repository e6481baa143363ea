#include "model/computer.h"

#include "model/frame_steps.h"
#include "model/node_channel.h"
#include "model/screamer.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/processes.h"
#include "support/record_text.h"
#include "support/text_file.h"

#include <algorithm>
#include <iterator>

namespace {

void SortByNumber(std::vector<std::unique_ptr<TComputer>>& items)
{
    // Stable, so nodes sharing a number keep the order in which they came.
    std::stable_sort(items.begin(), items.end(),
        [](const std::unique_ptr<TComputer>& a, const std::unique_ptr<TComputer>& b) {
            return a->Number < b->Number;
        });
}

// Offers the line to every key; a line that fits none (a header, say) changes nothing.
bool ReadKeyLine(TComputer& c, const QString& line)
{
    return ReadKeyInteger(QStringLiteral("Number"), line, c.Number)
        || ReadKeyValue(QStringLiteral("CPU"), line, c.CPU)
        || ReadKeyInteger(QStringLiteral("Memory"), line, c.Memory)
        || ReadKeyInteger(QStringLiteral("Processors"), line, c.Processors)
        || ReadKeyValue(QStringLiteral("StateString"), line, c.StateString)
        || ReadKeyValue(QStringLiteral("Name"), line, c.Name)
        || ReadKeyValue(QStringLiteral("Frames"), line, c.Frames)
        || ReadKeyValue(QStringLiteral("SceneString"), line, c.SceneString)
        || ReadKeyInteger(QStringLiteral("RenderCount"), line, c.RenderCount)
        || ReadKeyDateTime(QStringLiteral("ScreamerStart"), line, c.ScreamerStart)
        || ReadKeyDateTime(QStringLiteral("RenderStart"), line, c.RenderStart)
        || ReadKeyDateTime(QStringLiteral("LastRenderTime"), line, c.LastRenderTime);
}

} // namespace

QString PieceFrames(const QString& piece)
{
    QString rest = piece;
    const qint64 first = TakeNumber(rest);
    const qint64 last = TakeNumber(rest);
    int step = 1;
    if (!TextToInteger(rest, step) || step == 0)
        step = 1;
    if (!FrameAfter(first, last, step) && (last - first) / step >= PieceFrameLimit)
        return QString();
    QString frames;
    ForEachFrame(
        first, last, step, [&frames](qint64 frame) { AppendNumber(frames, QString::number(frame)); });
    return frames;
}

TComputer::TComputer(TDateTime created)
    : ScreamerStart(created)
{ }

TNodeState TComputer::StateCode() const
{
    if (StateString == AckInitializing)
        return TNodeState::Initializing;
    if (StateString == AckReady)
        return TNodeState::Ready;
    if (StateString == StateNextFrame)
        return TNodeState::NextFrame;
    if (StateString == AckSettingContent)
        return TNodeState::SettingContent;
    if (StateString == AckLoading)
        return TNodeState::Loading;
    if (StateString.contains(AckRendering))
        return TNodeState::Rendering;
    if (StateString == AckOffline)
        return TNodeState::Offline;
    return TNodeState::Other;
}

int TComputer::PlatformCode() const
{
    if (CPU == QLatin1String("Alpha"))
        return 1;
    if (CPU == QLatin1String("Silicon"))
        return 2;
    if (CPU == QLatin1String("Macintosh"))
        return 3;
    return 0;
}

void TComputer::WriteRecord(QStringList& lines) const
{
    lines.append(SceneLineInteger(QStringLiteral("Number"), Number));
    lines.append(SceneLine(QStringLiteral("CPU"), CPU));
    lines.append(SceneLineInteger(QStringLiteral("Memory"), Memory));
    lines.append(SceneLineInteger(QStringLiteral("Processors"), Processors));
    lines.append(SceneLine(QStringLiteral("StateString"), StateString));
    lines.append(SceneLine(QStringLiteral("Name"), Name));
    lines.append(SceneLine(QStringLiteral("Frames"), Frames));
    lines.append(SceneLine(QStringLiteral("SceneString"), SceneString));
    lines.append(SceneLineInteger(QStringLiteral("RenderCount"), RenderCount));
    lines.append(SceneLine(QStringLiteral("ScreamerStart"), DateTimeToRecordText(ScreamerStart)));
    lines.append(SceneLine(QStringLiteral("RenderStart"), DateTimeToRecordText(RenderStart)));
    lines.append(SceneLine(QStringLiteral("LastRenderTime"), DateTimeToRecordText(LastRenderTime)));
    lines.append(RecordEndLine);
}

void TComputer::ReadRecord(const QStringList& lines, qsizetype& index)
{
    for (; index < lines.size(); ++index) {
        const QString& line = lines[index];
        if (IsRecordEnd(line))
            return;
        ReadKeyLine(*this, line);
    }
}

void TComputer::ReportLines(QStringList& lines) const
{
    lines.append(Name);
    lines.append(QStringLiteral("  ") + StateString);
    lines.append(QStringLiteral("  ") + ExtractName(SceneString));
    lines.append(QStringLiteral("  ") + AverageTimeText());
    // An empty line rather than a bare CR, which mail servers refuse.
    lines.append(QString());
}

QString TComputer::AverageTimeText() const
{
    if (RenderCount < 1)
        return QStringLiteral("No frames rendered");
    return QStringLiteral("%1 (%2 frames)")
        .arg(DurationText((RenderStart - ScreamerStart) / RenderCount))
        .arg(RenderCount);
}

QString TComputer::CrashWatchNote(const TScreamerList& screamers) const
{
    const TScreamer* screamer = screamers.FindByNumber(Number);
    if (screamer && !ProcessRunning(screamer->Process))
        return QStringLiteral("No crash detection possible (This Kestrion was restarted) ");
    return QString();
}

int TComputerList::IndexOfNumber(int number) const
{
    for (int index = 0; index < Count(); ++index)
        if (FItems[static_cast<size_t>(index)]->Number == number)
            return index;
    return -1;
}

TComputer* TComputerList::FindByNumber(int number) const
{
    const int index = IndexOfNumber(number);
    return index < 0 ? nullptr : FItems[static_cast<size_t>(index)].get();
}

bool TComputerList::NumberFree(int number) const
{
    return !FindByNumber(number);
}

void TComputerList::Add(std::unique_ptr<TComputer> computer)
{
    FItems.push_back(std::move(computer));
    SortByNumber(FItems);
}

void TComputerList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    FItems.erase(FItems.begin() + index);
}

void TComputerList::Clear()
{
    FItems.clear();
}

void TComputerList::Move(int from, int to)
{
    if (from < 0 || from >= Count() || to < 0)
        return;
    std::unique_ptr<TComputer> computer = std::move(FItems[static_cast<size_t>(from)]);
    FItems.erase(FItems.begin() + from);
    to = std::min(to, Count());
    FItems.insert(FItems.begin() + to, std::move(computer));
}

QString TComputerList::HeldFrames(const QString& sceneFile) const
{
    QString held;
    for (const auto& node : FItems) {
        if (node->HoldsPiece() && node->SceneString == sceneFile)
            held = AddNewNumbers(held, PieceFrames(node->Frames));
    }
    return held;
}

void TComputerList::WriteRecords(QStringList& lines, int firstHeader) const
{
    int header = firstHeader;
    for (const auto& computer : FItems) {
        lines.append(QStringLiteral("[Computer%1]").arg(header++));
        computer->WriteRecord(lines);
    }
}

void TComputerList::ReadRecords(const QStringList& lines, qsizetype& index, qint64 count)
{
    // A count may promise far more records than there are lines: only records that start
    // within the lines are made.
    std::vector<std::unique_ptr<TComputer>> read;
    for (qint64 k = 0;
         k < count && index + 1 < lines.size() && Count() + qint64(read.size()) < ComputerListLimit; ++k) {
        ++index;
        auto computer = std::make_unique<TComputer>(FClock->Now());
        computer->ReadRecord(lines, index);
        read.push_back(std::move(computer));
    }
    if (read.empty())
        return;
    // One stable sort gives the order of sorting after each addition, without its quadratic cost.
    FItems.insert(FItems.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    SortByNumber(FItems);
}

void TComputerList::SaveToLines(QStringList& lines) const
{
    lines.append(QString::number(Count()));
    WriteRecords(lines, 1);
}

void TComputerList::LoadFromLines(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    int count = 0;
    TextToInteger(lines.first(), count);
    qsizetype index = 0;
    ReadRecords(lines, index, count);
}

bool TComputerList::LoadFromFile(const QString& path)
{
    QStringList lines;
    if (!ReadTextLines(path, lines))
        return false;
    LoadFromLines(lines);
    return true;
}

bool TComputerList::SaveToFile(const QString& path) const
{
    QStringList lines;
    SaveToLines(lines);
    return WriteTextLines(path, lines);
}

void TComputerList::ReportLines(QStringList& lines) const
{
    lines.append(QString(44, u'_'));
    lines.append(QStringLiteral("COMPUTERS"));
    // An empty line rather than a bare CR, which mail servers refuse.
    lines.append(QString());
    for (const auto& computer : FItems)
        computer->ReportLines(lines);
}
