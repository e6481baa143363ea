#include "model/scene_record.h"

#include "model/computer.h"
#include "model/scene_list.h"
#include "support/record_text.h"
#include "support/text_file.h"

#include <QFileInfo>
#include <variant>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString KeyIgnoredRangeType = u"IgnoredRangeType"_s;
const QString KeyRenderStarted = u"RenderStarted"_s;

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
    TFieldPointer Field;
    TGroup Group = TGroup::Always;
};

using TRecordFields = std::vector<TRecordField>;

// The queue lines before the platforms, in the order they are written.
TRecordFields HeadFields(TScene& s)
{
    return {
        { u"ID"_s, &s.ID },
        { u"Filename"_s, &s.Filename },
        { u"KestrionFilename"_s, &s.KestrionFilename },
        { u"Verified"_s, &s.Verified },
        { u"VerifyTimes"_s, &s.VerifyTimes },
        { u"Copied"_s, &s.Copied },
        { u"Priority"_s, &s.Settings.Priority },
        { u"Range"_s, &s.Settings.Range },
        { u"CurrentFirst"_s, &s.Settings.CurrentFirst, TGroup::Range },
        { u"CurrentLast"_s, &s.Settings.CurrentLast, TGroup::Range },
        { u"CurrentStep"_s, &s.Settings.CurrentStep, TGroup::Range },
        { u"RangeLast"_s, &s.Settings.RangeLast, TGroup::Range },
        { u"Singles"_s, &s.Settings.Singles },
        { u"SinglesList"_s, &s.Settings.SinglesList, TGroup::Singles },
        { u"SinglesToDo"_s, &s.Settings.SinglesToDo, TGroup::Singles },
        { u"MissingList"_s, &s.Settings.MissingList },
        { u"RenderLast"_s, &s.Settings.RenderLast },
    };
}

// The queue lines between the platforms and the render options.
TRecordFields RestrictionFields(TScene& s)
{
    return {
        { u"PlatformRenderMemory"_s, &s.Settings.PlatformRenderMemory },
        { u"PlatformRenderComputers"_s, &s.Settings.PlatformRenderComputers },
        { u"PlatformRenderPercentage"_s, &s.Settings.PlatformRenderPercentage },
        { u"PlatformRenderSelected"_s, &s.Settings.PlatformRenderSelected },
        { u"PlatformRenderMultiprocessor"_s, &s.Settings.PlatformRenderMultiprocessor },
        { u"PlatformRenderMemoryValue"_s, &s.Settings.PlatformRenderMemoryValue },
        { u"PlatformRenderComputersValue"_s, &s.Settings.PlatformRenderComputersValue },
        { u"PlatformRenderPercentageValue"_s, &s.Settings.PlatformRenderPercentageValue },
        { u"PlatformRenderMultiprocessorValue"_s, &s.Settings.PlatformRenderMultiprocessorValue },
        { u"PlatformRenderSelectedValue"_s, &s.Settings.PlatformRenderSelectedValue },
        { u"AutomaticVerify"_s, &s.Settings.AutomaticVerify },
        { u"AutomaticVerifyTimes"_s, &s.Settings.AutomaticVerifyTimes },
        { u"AutomaticCopy"_s, &s.Settings.AutomaticCopy },
        { u"AutomaticCopyComputer"_s, &s.Settings.AutomaticCopyComputer },
        { u"AutomaticCopyDirectory"_s, &s.Settings.AutomaticCopyDirectory },
        { u"ContentDirectory"_s, &s.Settings.ContentDirectory },
    };
}

// The lines after the camera settings.
TRecordFields TailFields(TScene& s)
{
    return {
        { u"OriginalFirst"_s, &s.Data.OriginalFirst },
        { u"OriginalLast"_s, &s.Data.OriginalLast },
        { u"OriginalStep"_s, &s.Data.OriginalStep },
        { u"ExtraData"_s, &s.Data.ExtraData },
        { u"TimeAdd"_s, &s.Statistics.TimeAdd },
        { u"RenderTimeTotal"_s, &s.Statistics.RenderTimeTotal },
        { u"RenderFramesCount"_s, &s.Statistics.RenderFramesCount },
        { u"Edited"_s, &s.Edited },
        { u"Comment"_s, &s.Comment },
    };
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

void WriteFields(const TScene& scene, const TRecordFields& fields, QStringList& lines)
{
    for (const TRecordField& field : fields)
        if (InGroup(scene, field.Group))
            lines << field.Key + u'=' + FieldText(field.Field);
}

void ReadFields(const TScene& scene, const TRecordFields& fields, const QString& line)
{
    for (const TRecordField& field : fields)
        if (InGroup(scene, field.Group))
            ReadField(field.Key, line, field.Field);
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
    WriteFields(scene, HeadFields(scene), lines);
    for (const auto& [key, bit] : PlatformLines())
        lines << key + u'=' + BooleanText((scene.Settings.Platforms & bit) != 0);
    WriteFields(scene, RestrictionFields(scene), lines);
    scene.WriteRenderOptions(lines);
    scene.WriteCameraSettings(lines);
    WriteFields(scene, TailFields(scene), lines);
    // Only where it has something to say: most records stay as they always were.
    if (scene.Data.IgnoredRangeType != 0)
        lines << KeyIgnoredRangeType + u'=' + QString::number(scene.Data.IgnoredRangeType);
    if (scene.Statistics.RenderStarted != 0)
        lines << KeyRenderStarted + u'=' + DateTimeToRecordText(scene.Statistics.RenderStarted);
    lines << RecordEndLine;
}

void ReadRecord(TScene& scene, const QStringList& lines, qsizetype& index)
{
    scene.Settings.Platforms = 0;
    scene.SetDataDefaults();
    const TRecordFields head = HeadFields(scene);
    const TRecordFields restrictions = RestrictionFields(scene);
    const TRecordFields tail = TailFields(scene);
    for (; index < lines.size(); ++index) {
        const QString& line = lines[index];
        if (IsRecordEnd(line))
            break;
        ReadFields(scene, head, line);
        for (const auto& [key, bit] : PlatformLines()) {
            int value = 0;
            if (ReadKeyInteger(key, line, value) && value == 1)
                scene.Settings.Platforms |= bit;
        }
        ReadFields(scene, restrictions, line);
        scene.ReadRenderSettings(line);
        ReadFields(scene, tail, line);
        ReadKeyInteger(KeyIgnoredRangeType, line, scene.Data.IgnoredRangeType);
        ReadKeyDateTime(KeyRenderStarted, line, scene.Statistics.RenderStarted);
    }
    if (scene.Settings.Platforms == 0)
        scene.Settings.Platforms = PlatformsAll;
    scene.KeepRangeLastInRange();
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
    if (sceneCount < 0 || computerCount < 0)
        return false;
    const int scenesBefore = list.Count();
    const int computersBefore = computers.Count();
    qsizetype index = 1;
    ReadScenes(list, lines, index, sceneCount);
    computers.ReadRecords(lines, index, computerCount);
    const bool allRead
        = list.Count() - scenesBefore == sceneCount && computers.Count() - computersBefore == computerCount;
    const bool lastClosed
        = (sceneCount == 0 && computerCount == 0) || (index < lines.size() && IsRecordEnd(lines[index]));
    return allRead && lastClosed && index >= lines.size() - 1;
}
