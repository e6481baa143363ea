#include "remote/overview.h"

#include "support/record_text.h"
#include "support/text_file.h"
#include "support/text_routines.h"

#include <QStringList>
#include <algorithm>

namespace {

// Key lines up to "[end]" or the end of the lines; `index` ends on the "[end]" line.
template <typename TRead> void ReadRecord(const QStringList& lines, qsizetype& index, TRead read)
{
    for (; index < lines.size() && lines[index] != RecordEndLine; ++index)
        read(lines[index]);
}

void ReadItem(const QString& line, TComputerOverviewItem& item)
{
    if (!ReadKeyValue(QStringLiteral("Name"), line, item.Name)
        && !ReadKeyInteger(QStringLiteral("Memory"), line, item.Memory))
        ReadKeyInteger(QStringLiteral("Processors"), line, item.Processors);
}

void ReadGroup(const QString& line, TComputerOverviewGroup& group)
{
    if (!ReadKeyValue(QStringLiteral("Name"), line, group.Name))
        ReadKeyValue(QStringLiteral("Screamers"), line, group.Screamers);
}

// Reads `count` records while lines last, each starting on the line after the last one's end;
// only the first `limit` are kept, so a count of any size costs no more than the lines.
template <typename TRecord, typename TRead>
void ReadRecords(const QStringList& lines, qsizetype& index, qint64 count, int limit,
    std::vector<TRecord>& records, TRead read)
{
    for (qint64 k = 0; k < count && index < lines.size(); ++k) {
        TRecord record;
        ReadRecord(lines, index, [&](const QString& line) { read(line, record); });
        ++index;
        if (records.size() < size_t(limit))
            records.push_back(std::move(record));
    }
}

} // namespace

void TComputerOverview::SetItemCount(int n)
{
    const size_t count = size_t(std::clamp(n, 0, OverviewItemLimit));
    if (count == FItems.size())
        return;
    FItems.resize(count);
    FModified = true;
}

bool TComputerOverview::UpdateItem(int index, const QString& name, int processors, int memory)
{
    if (index < 0 || index >= ItemCount())
        return false;
    TComputerOverviewItem& item = FItems[size_t(index)];
    if (item.Name == name && item.Processors == processors && item.Memory == memory)
        return false;
    item.Name = name;
    item.Processors = processors;
    item.Memory = memory;
    FModified = true;
    return true;
}

void TComputerOverview::AddGroup(const QString& name, const QString& screamers)
{
    // One line each in the file: a name with a line break would split the record.
    FGroups.push_back({ OneLine(name), OneLine(screamers) });
    FModified = true;
}

void TComputerOverview::DeleteGroup(int index)
{
    if (index < 0 || index >= GroupCount())
        return;
    FGroups.erase(FGroups.begin() + index);
    FModified = true;
}

TComputerOverview::TLoadResult TComputerOverview::Load(const QString& path)
{
    QStringList lines;
    if (!ReadTextLines(path, lines) || lines.size() <= 3)
        return TLoadResult::NoFile;
    qint64 itemCount = 0;
    qint64 groupCount = 0;
    if (!TextToInteger(lines[0], itemCount) || !TextToInteger(lines[1], groupCount))
        return TLoadResult::Outdated;
    std::vector<TComputerOverviewItem> items;
    std::vector<TComputerOverviewGroup> groups;
    qsizetype index = 2;
    ReadRecords(lines, index, itemCount, OverviewItemLimit, items, ReadItem);
    ReadRecords(lines, index, groupCount, OverviewGroupLimit, groups, ReadGroup);
    FItems = std::move(items);
    FGroups = std::move(groups);
    FModified = false;
    return TLoadResult::Loaded;
}

bool TComputerOverview::Save(const QString& path)
{
    QStringList lines;
    lines.reserve(2 + 4 * qsizetype(FItems.size()) + 3 * qsizetype(FGroups.size()));
    lines.append(QString::number(FItems.size()));
    lines.append(QString::number(FGroups.size()));
    for (const TComputerOverviewItem& item : FItems) {
        lines.append(QStringLiteral("Name ") + item.Name);
        lines.append(QStringLiteral("Memory ") + QString::number(item.Memory));
        lines.append(QStringLiteral("Processors ") + QString::number(item.Processors));
        lines.append(RecordEndLine);
    }
    for (const TComputerOverviewGroup& group : FGroups) {
        lines.append(QStringLiteral("Name ") + group.Name);
        lines.append(QStringLiteral("Screamers ") + group.Screamers);
        lines.append(RecordEndLine);
    }
    if (!WriteTextLines(path, lines))
        return false;
    FModified = false;
    return true;
}

bool TComputerOverview::SaveIfModified(const QString& path)
{
    return !FModified || Save(path);
}

bool IdentifySender(TComputerOverview& overview, const QString& name, const QString& screamers, int memory,
    std::vector<int>& changedNumbers)
{
    changedNumbers.clear();
    const int processors = int(screamers.count(u' ')) + 1;
    // One pass over the text; every entry changes at most once because the values are the same
    // for every number, so a long list costs its length and no more.
    QString rest = screamers;
    while (!rest.isEmpty()) {
        const int number = TakeNumber(rest);
        if (overview.UpdateItem(number - 1, name, processors, memory))
            changedNumbers.push_back(number);
    }
    return !changedNumbers.empty();
}
