#include "farm/command_executor.h"

#include "farm/discovery.h"
#include "farm/farm.h"
#include "farm/scene_operations.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command.h"
#include "support/people.h"
#include "support/record_text.h"

#include <QSet>
#include <algorithm>

namespace {

const QString EventComputersRescan = QStringLiteral("Computers Rescan");
const QString EventComputersKill = QStringLiteral("Computers Kill");
const QString EventComputersCrash = QStringLiteral("Computers Crash");
const QString EventMessageType = QStringLiteral("Events Message");
const QString RerenderArgument = QStringLiteral("Rerender");
const QString ToPlaceText = QStringLiteral(" to place ");

// Where a scene record that starts at `index` ends; -1 when it never does.
qsizetype RecordEnd(const QStringList& lines, qsizetype index)
{
    for (; index < lines.size(); ++index)
        if (IsRecordEnd(lines[index]))
            return index;
    return -1;
}

// The count on the first line when it is a number and its lines follow it; -1 otherwise.
qsizetype CountOfLines(const QStringList& lines)
{
    qint64 count = -1;
    if (lines.isEmpty() || !TextToInteger(lines[0], count) || count < 0 || count >= lines.size())
        return -1;
    return count;
}

QList<int> NumbersOf(const QStringList& lines, qsizetype from)
{
    QList<int> numbers;
    for (qsizetype index = from; index < lines.size(); ++index) {
        int number = 0;
        if (TextToInteger(lines[index], number))
            numbers << number;
    }
    return numbers;
}

// One command's execution: the farm, the sender and what changed.
class TExecution
{
public:
    TExecution(TFarm& farm, TDiscovery& discovery, const TCommand& command, bool& scenesChanged,
        bool& computersChanged)
        : FFarm(farm)
        , FDiscovery(discovery)
        , FCommand(command)
        , FArguments(command.Arguments)
        , FScenesChanged(scenesChanged)
        , FComputersChanged(computersChanged)
    { }

    void IdentifySender();
    void Run();

private:
    void Event(const QString& type, const QString& comment)
    {
        FFarm.Events.AddEvent(3, FCommand.SenderName, type, comment);
    }
    // The queue position of the scene an argument line names; an ID that does not parse
    // finds nothing, not even a scene stored without an ID.
    int SceneIndex(const QString& line) const
    {
        int id = 0;
        return TextToInteger(line, id) ? FFarm.Scenes.IndexOfID(id) : -1;
    }

    void ScenesMove();
    void ScenesAdd();
    void ScenesRemove();
    void ScenesDuplicate();
    void ScenesEdit();
    void ScenesReset();
    void ScenesCopied();
    void ScenesReload();
    void ComputersKill();
    void ComputersCrashed();
    void EventMessage();

    TFarm& FFarm;
    TDiscovery& FDiscovery;
    const TCommand& FCommand;
    const QStringList& FArguments;
    bool& FScenesChanged;
    bool& FComputersChanged;
};

void TExecution::IdentifySender()
{
    if (FFarm.IdentifyInstallation(FCommand.SenderName, FCommand.SenderScreamers, FCommand.SenderMemory))
        FComputersChanged = true;
}

void TExecution::Run()
{
    switch (FCommand.Command) {
    case ::ScenesMove:
        ScenesMove();
        break;
    case ::ScenesAdd:
        ScenesAdd();
        break;
    case ::ScenesRemove:
        ScenesRemove();
        break;
    case ::ScenesDuplicate:
        ScenesDuplicate();
        break;
    case ::ScenesEdit:
        ScenesEdit();
        break;
    case ::ScenesReset:
        ScenesReset();
        break;
    case ::ScenesCopied:
        ScenesCopied();
        break;
    case ::ScenesReload:
        ScenesReload();
        break;
    case ::ComputersRescan:
        Event(EventComputersRescan, QString());
        FDiscovery.Rescan();
        break;
    case ::ComputersKill:
        ComputersKill();
        break;
    case ::ComputersCrashed:
        ComputersCrashed();
        break;
    case ::EventMessage:
        EventMessage();
        break;
    case ::ProgramUpdate:
        FScenesChanged = true;
        FComputersChanged = true;
        break;
    default:
        // Commands for Remotes and unknown ones: the sender was identified, nothing more.
        break;
    }
}

void TExecution::ScenesMove()
{
    if (FArguments.isEmpty())
        return;
    const int from = SceneIndex(FArguments[0]);
    if (from < 0)
        return;
    // Behind the last of the scenes the Remote showed before it.
    int to = 0;
    for (qsizetype k = 1; k < FArguments.size(); ++k)
        to = std::max(to, SceneIndex(FArguments[k]) + 1);
    to = std::min(to, FFarm.Scenes.Count() - 1);
    Event(SceneEventMove, FFarm.Scenes.Item(from).Filename + ToPlaceText + QString::number(to + 1));
    MoveScene(FFarm, from, to);
    FScenesChanged = true;
}

void TExecution::ScenesAdd()
{
    const qsizetype count = CountOfLines(FArguments);
    if (count < 0 || RecordEnd(FArguments, count + 1) < 0)
        return;
    TScene initial(FFarm.Options.ContentDirectory);
    qsizetype index = count + 1;
    ReadRecord(initial, FArguments, index);
    // A file named twice would only be a second copy of the same scene, and repeated names
    // must not multiply the work a short command causes.
    QSet<QString> seen;
    for (qsizetype k = 1; k <= count; ++k) {
        const QString& path = FArguments[k];
        if (seen.contains(path))
            continue;
        seen.insert(path);
        Event(SceneEventSend, path);
        QString reason;
        if (!AddSceneFromFile(FFarm, path, initial.Settings, FCommand.SenderName, &reason))
            Event(SceneEventRefused, SceneRefusedText(path, reason));
    }
    FScenesChanged = true;
}

void TExecution::ScenesRemove()
{
    for (const QString& line : FArguments) {
        const int index = SceneIndex(line);
        if (index < 0)
            continue;
        Event(SceneEventRemove, FFarm.Scenes.Item(index).Filename);
        RemoveScene(FFarm, index);
    }
    FScenesChanged = true;
}

void TExecution::ScenesDuplicate()
{
    // Each scene once: a Remote marks every scene only once.
    QSet<int> done;
    for (const QString& line : FArguments) {
        const int index = SceneIndex(line);
        if (index < 0 || done.contains(FFarm.Scenes.Item(index).ID))
            continue;
        done.insert(FFarm.Scenes.Item(index).ID);
        Event(SceneEventDuplicate, FFarm.Scenes.Item(index).Filename);
        DuplicateScene(FFarm, index, FCommand.SenderName);
    }
    FScenesChanged = true;
}

void TExecution::ScenesEdit()
{
    const qsizetype count = CountOfLines(FArguments);
    if (count < 0)
        return;
    // Every record must close before any is applied.
    std::vector<std::pair<qsizetype, qsizetype>> records;
    qsizetype index = count + 1;
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype end = RecordEnd(FArguments, index);
        if (end < 0)
            return;
        records.emplace_back(index, end);
        index = end + 1;
    }
    for (qsizetype k = 0; k < count; ++k) {
        const int scene = SceneIndex(FArguments[k + 1]);
        if (scene < 0)
            continue;
        const auto [first, end] = records[static_cast<size_t>(k)];
        EditSceneFromRecord(FFarm.Scenes.Item(scene), FArguments.mid(first, end - first + 1), FFarm.Now());
    }
    // Priorities may have changed.
    FFarm.Scenes.Renumber();
    FScenesChanged = true;
}

void TExecution::ScenesReset()
{
    for (const QString& line : FArguments) {
        const int index = SceneIndex(line);
        if (index < 0)
            continue;
        TScene& scene = FFarm.Scenes.Item(index);
        scene.Reset(FFarm.Now());
        Event(SceneEventReset, scene.Filename);
    }
    FScenesChanged = true;
}

void TExecution::ScenesCopied()
{
    const int index = SceneIndex(FArguments.value(0));
    if (index >= 0)
        FFarm.Scenes.Item(index).Copied = true;
    FScenesChanged = true;
}

void TExecution::ScenesReload()
{
    // The IDs, then the record of the initial options, whose lines never read as an ID.
    qsizetype recordStart = 0;
    int id = 0;
    while (recordStart < FArguments.size() && TextToInteger(FArguments[recordStart], id))
        ++recordStart;
    if (RecordEnd(FArguments, recordStart) < 0)
        return;
    TScene initial(FFarm.Options.ContentDirectory);
    qsizetype index = recordStart;
    ReadRecord(initial, FArguments, index);
    for (qsizetype k = 0; k < recordStart; ++k) {
        const int scene = SceneIndex(FArguments[k]);
        if (scene < 0)
            continue;
        const QString path = FFarm.Scenes.Item(scene).Filename;
        Event(SceneEventReload, path);
        // A reloaded scene belongs to the Master, whoever asked for it.
        QString reason;
        if (!ReloadScene(FFarm, scene, initial.Settings, FFarm.Options.ScreamerName, &reason))
            Event(SceneEventRefused, SceneRefusedText(path, reason));
    }
    FScenesChanged = true;
}

void TExecution::ComputersKill()
{
    // Logged and marked before the job files are written: a failing one ends the command.
    Event(EventComputersKill, QString());
    FComputersChanged = true;
    FDiscovery.KillNodes(NumbersOf(FArguments, 0));
}

void TExecution::ComputersCrashed()
{
    const bool renderAgain = FArguments.value(0) == RerenderArgument;
    const QList<int> numbers = NumbersOf(FArguments, 1);
    Event(EventComputersCrash, QString());
    if (numbers.isEmpty())
        return;
    FComputersChanged = true;
    FScenesChanged = FScenesChanged || renderAgain;
    FDiscovery.CrashNodes(numbers, renderAgain);
}

void TExecution::EventMessage()
{
    const QString text = FArguments.value(0);
    Event(EventMessageType, text);
    FFarm.People.Beep();
    FFarm.People.Ask(text, false);
}

} // namespace

void ExecuteRemoteCommand(
    TFarm& farm, TDiscovery& discovery, const TCommand& command, bool& scenesChanged, bool& computersChanged)
{
    TExecution execution(farm, discovery, command, scenesChanged, computersChanged);
    execution.IdentifySender();
    execution.Run();
    // Every command is answered with the lists, for the Remotes connected over TCP/IP.
    farm.ListsChanged = true;
}
