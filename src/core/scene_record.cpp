#include "core/scene_record.h"

#include "core/computer.h"
#include "core/scene_list.h"
#include "support/record_text.h"
#include "support/text_file.h"

#include <QFileInfo>
#include <variant>

namespace {

// Which lines a record holds only while a flag is set.
enum class TGroup
{
    Always,
    Range,
    Singles
};

using TFieldPointer = std::variant<int*, qint64*, bool*, QString*, TDateTime*>;

struct TRecordField
{
    QString Key;
    TGroup Group;
    TFieldPointer (*Field)(TScene&);
};

// The queue lines before the render options, in the order they are written.
const std::vector<TRecordField>& HeadFields()
{
    static const std::vector<TRecordField> fields = {
        { QStringLiteral("ID"), TGroup::Always, [](TScene& s) -> TFieldPointer { return &s.ID; } },
        { QStringLiteral("Filename"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Filename; } },
        { QStringLiteral("KestrionFilename"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.KestrionFilename; } },
        { QStringLiteral("Verified"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Verified; } },
        { QStringLiteral("VerifyTimes"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.VerifyTimes; } },
        { QStringLiteral("Copied"), TGroup::Always, [](TScene& s) -> TFieldPointer { return &s.Copied; } },
        { QStringLiteral("Priority"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.Priority; } },
        { QStringLiteral("Range"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.Range; } },
        { QStringLiteral("CurrentFirst"), TGroup::Range,
            [](TScene& s) -> TFieldPointer { return &s.Settings.CurrentFirst; } },
        { QStringLiteral("CurrentLast"), TGroup::Range,
            [](TScene& s) -> TFieldPointer { return &s.Settings.CurrentLast; } },
        { QStringLiteral("CurrentStep"), TGroup::Range,
            [](TScene& s) -> TFieldPointer { return &s.Settings.CurrentStep; } },
        { QStringLiteral("RangeLast"), TGroup::Range,
            [](TScene& s) -> TFieldPointer { return &s.Settings.RangeLast; } },
        { QStringLiteral("Singles"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.Singles; } },
        { QStringLiteral("SinglesList"), TGroup::Singles,
            [](TScene& s) -> TFieldPointer { return &s.Settings.SinglesList; } },
        { QStringLiteral("SinglesToDo"), TGroup::Singles,
            [](TScene& s) -> TFieldPointer { return &s.Settings.SinglesToDo; } },
        { QStringLiteral("MissingList"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.MissingList; } },
        { QStringLiteral("RenderLast"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.RenderLast; } },
    };
    return fields;
}

// The queue lines between the platforms and the render options.
const std::vector<TRecordField>& RestrictionFields()
{
    static const std::vector<TRecordField> fields = {
        { QStringLiteral("PlatformRenderMemory"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderMemory; } },
        { QStringLiteral("PlatformRenderComputers"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderComputers; } },
        { QStringLiteral("PlatformRenderPercentage"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderPercentage; } },
        { QStringLiteral("PlatformRenderSelected"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderSelected; } },
        { QStringLiteral("PlatformRenderMultiprocessor"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderMultiprocessor; } },
        { QStringLiteral("PlatformRenderMemoryValue"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderMemoryValue; } },
        { QStringLiteral("PlatformRenderComputersValue"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderComputersValue; } },
        { QStringLiteral("PlatformRenderPercentageValue"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderPercentageValue; } },
        { QStringLiteral("PlatformRenderMultiprocessorValue"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderMultiprocessorValue; } },
        { QStringLiteral("PlatformRenderSelectedValue"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.PlatformRenderSelectedValue; } },
        { QStringLiteral("AutomaticVerify"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.AutomaticVerify; } },
        { QStringLiteral("AutomaticVerifyTimes"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.AutomaticVerifyTimes; } },
        { QStringLiteral("AutomaticCopy"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.AutomaticCopy; } },
        { QStringLiteral("AutomaticCopyComputer"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.AutomaticCopyComputer; } },
        { QStringLiteral("AutomaticCopyDirectory"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.AutomaticCopyDirectory; } },
        { QStringLiteral("ContentDirectory"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Settings.ContentDirectory; } },
    };
    return fields;
}

// The lines after the camera settings.
const std::vector<TRecordField>& TailFields()
{
    static const std::vector<TRecordField> fields = {
        { QStringLiteral("OriginalFirst"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Data.OriginalFirst; } },
        { QStringLiteral("OriginalLast"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Data.OriginalLast; } },
        { QStringLiteral("OriginalStep"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Data.OriginalStep; } },
        { QStringLiteral("ExtraData"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Data.ExtraData; } },
        { QStringLiteral("TimeAdd"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Statistics.TimeAdd; } },
        { QStringLiteral("RenderTimeTotal"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Statistics.RenderTimeTotal; } },
        { QStringLiteral("RenderFramesCount"), TGroup::Always,
            [](TScene& s) -> TFieldPointer { return &s.Statistics.RenderFramesCount; } },
        { QStringLiteral("Edited"), TGroup::Always, [](TScene& s) -> TFieldPointer { return &s.Edited; } },
        { QStringLiteral("Comment"), TGroup::Always, [](TScene& s) -> TFieldPointer { return &s.Comment; } },
    };
    return fields;
}

// The platform lines, in their written order, with their bits.
const std::vector<std::pair<QString, int>>& PlatformLines()
{
    static const std::vector<std::pair<QString, int>> platforms = {
        { QStringLiteral("PlatformIntel"), PlatformIntel },
        { QStringLiteral("PlatformAlpha"), PlatformAlpha },
        { QStringLiteral("PlatformMacintosh"), PlatformMacintosh },
        { QStringLiteral("PlatformSilicon"), PlatformSilicon },
    };
    return platforms;
}

bool InGroup(const TScene& scene, TGroup group)
{
    switch (group) {
    case TGroup::Range:
        return scene.Settings.Range;
    case TGroup::Singles:
        return scene.Settings.Singles;
    case TGroup::Always:
        break;
    }
    return true;
}

QString FieldText(const TFieldPointer& field)
{
    if (const auto* number = std::get_if<int*>(&field))
        return QString::number(**number);
    if (const auto* wide = std::get_if<qint64*>(&field))
        return QString::number(**wide);
    if (const auto* flag = std::get_if<bool*>(&field))
        return BooleanText(**flag);
    if (const auto* text = std::get_if<QString*>(&field))
        return **text;
    return DateTimeToRecordText(*std::get<TDateTime*>(field));
}

void ReadField(const QString& key, const QString& line, const TFieldPointer& field)
{
    if (const auto* number = std::get_if<int*>(&field))
        ReadKeyInteger(key, line, **number);
    else if (const auto* wide = std::get_if<qint64*>(&field))
        ReadKeyInteger(key, line, **wide);
    else if (const auto* flag = std::get_if<bool*>(&field))
        ReadKeyBoolean(key, line, **flag);
    else if (const auto* text = std::get_if<QString*>(&field))
        ReadKeyValue(key, line, **text);
    else
        ReadKeyDateTime(key, line, *std::get<TDateTime*>(field));
}

void WriteFields(TScene& scene, const std::vector<TRecordField>& fields, QStringList& lines)
{
    for (const TRecordField& field : fields)
        if (InGroup(scene, field.Group))
            lines << field.Key + u'=' + FieldText(field.Field(scene));
}

void ReadFields(TScene& scene, const std::vector<TRecordField>& fields, const QString& line)
{
    for (const TRecordField& field : fields)
        if (InGroup(scene, field.Group))
            ReadField(field.Key, line, field.Field(scene));
}

// The count on a list's count line; 0 when it is no number.
int CountLine(const QStringList& lines, qsizetype index)
{
    int count = 0;
    if (index < lines.size() && !TextToInteger(lines[index], count))
        count = 0;
    return count;
}

// Reads `count` records from the line after `index` on; a count past the end of the lines
// creates nothing there.
void ReadScenes(TSceneList& list, const QStringList& lines, qsizetype& index, qint64 count)
{
    for (qint64 k = 0; k < count && index + 1 < lines.size() && list.Count() < SceneListLimit; ++k) {
        ++index;
        auto scene = std::make_unique<TScene>();
        ReadRecord(*scene, lines, index);
        list.Append(std::move(scene));
    }
    // Sorting once gives the order that sorting after each addition would.
    list.Renumber();
}

void WriteScenes(TSceneList& list, QStringList& lines)
{
    for (int index = 0; index < list.Count(); ++index) {
        lines << QStringLiteral("[Scene%1]").arg(index);
        WriteRecord(list.Item(index), lines);
    }
}

} // namespace

void WriteRecord(TScene& scene, QStringList& lines)
{
    WriteFields(scene, HeadFields(), lines);
    for (const auto& [key, bit] : PlatformLines())
        lines << key + u'=' + BooleanText((scene.Settings.Platforms & bit) != 0);
    WriteFields(scene, RestrictionFields(), lines);
    scene.WriteRenderOptions(lines);
    scene.WriteCameraSettings(lines);
    WriteFields(scene, TailFields(), lines);
    lines << RecordEndLine;
}

void ReadRecord(TScene& scene, const QStringList& lines, qsizetype& index)
{
    scene.Settings.Platforms = 0;
    scene.SetDataDefaults();
    for (; index < lines.size(); ++index) {
        const QString& line = lines[index];
        if (IsRecordEnd(line))
            break;
        ReadFields(scene, HeadFields(), line);
        for (const auto& [key, bit] : PlatformLines()) {
            int value = 0;
            if (ReadKeyInteger(key, line, value) && value == 1)
                scene.Settings.Platforms |= bit;
        }
        ReadFields(scene, RestrictionFields(), line);
        scene.ReadRenderSettings(line);
        ReadFields(scene, TailFields(), line);
    }
    if (scene.Settings.Platforms == 0)
        scene.Settings.Platforms = PlatformsAll;
}

void SaveToLines(TSceneList& list, QStringList& lines)
{
    lines << QString::number(list.Count());
    WriteScenes(list, lines);
}

void LoadFromLines(TSceneList& list, const QStringList& lines)
{
    qsizetype index = 0;
    ReadScenes(list, lines, index, CountLine(lines, 0));
}

bool SaveSceneList(TSceneList& list, const QString& path)
{
    QStringList lines;
    SaveToLines(list, lines);
    return WriteTextLines(path, lines);
}

bool LoadSceneList(TSceneList& list, const QString& path)
{
    QStringList lines;
    if (!QFileInfo::exists(path) || !ReadTextLines(path, lines))
        return false;
    LoadFromLines(list, lines);
    return true;
}

void SaveState(TSceneList& list, const TComputerList& computers, QStringList& lines)
{
    lines << QString::number(list.Count()) << QString::number(computers.Count());
    WriteScenes(list, lines);
    computers.WriteRecords(lines, 0);
}

bool LoadState(TSceneList& list, const QStringList& lines, TComputerList& computers)
{
    int sceneCount = 0;
    int computerCount = 0;
    if (lines.size() < 2 || !TextToInteger(lines[0], sceneCount) || !TextToInteger(lines[1], computerCount))
        return false;
    qsizetype index = 1;
    ReadScenes(list, lines, index, sceneCount);
    computers.ReadRecords(lines, index, computerCount);
    return true;
}
