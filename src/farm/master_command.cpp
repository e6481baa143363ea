#include "farm/master_command.h"

#include "farm/discovery.h"
#include "farm/farm.h"
#include "farm/node_launch.h"
#include "farm/remote_update.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command.h"
#include "support/people.h"
#include "support/record_text.h"

#include <QSet>

namespace {

bool TakeLists(TFarm& farm, const QStringList& arguments)
{
    TSceneList scenes;
    TComputerList computers(farm.Clock);
    if (!LoadState(scenes, arguments, computers))
        return false;
    farm.People.SetStatus(TStatusPanel::Clock, LastUpdateText(farm.Now()));
    // Freeing the old lists touches no file: a Remote never deletes a scene's private copy.
    farm.Scenes.ReplaceWith(scenes);
    farm.Computers.ReplaceWith(computers);
    farm.People.Refresh(TView::Scenes);
    farm.People.Refresh(TView::Computers);
    return true;
}

int ColourPart(const QString& line)
{
    int value = 0;
    if (!TextToInteger(line, value))
        return 128;
    return std::clamp(value, 0, 255);
}

void TakeColours(TFarm& farm, const QStringList& arguments)
{
    TOptions& options = farm.Options;
    options.LookColorR = ColourPart(arguments.value(0));
    options.LookColorG = ColourPart(arguments.value(1));
    options.LookColorB = ColourPart(arguments.value(2));
    farm.People.ApplyColours();
}

void StartNodes(TFarm& farm, TDiscovery& discovery, const QString& line)
{
    QSet<QString> words;
    for (const QString& word : line.split(u' ', Qt::SkipEmptyParts))
        words.insert(word);
    bool started = false;
    for (int i = 0; i < farm.Screamers.Count(); ++i) {
        TScreamer& screamer = farm.Screamers.Item(i);
        if ((screamer.Started && !IsDead(screamer)) || !words.contains(QString::number(screamer.Number)))
            continue;
        if (!Launch(farm, screamer))
            continue;
        farm.Events.AddEvent(1, farm.Options.ScreamerName, QStringLiteral("Master"),
            QStringLiteral("Screamer %1 started").arg(screamer.Number));
        started = true;
    }
    if (started)
        discovery.Rescan();
}

} // namespace

TCommand ListsCommand(TFarm& farm)
{
    TCommand command = MakeCommand(Lists, farm.Options);
    SaveState(farm.Scenes, farm.Computers, command.Arguments);
    return command;
}

bool ExecuteMasterCommand(TFarm& farm, TDiscovery& discovery, const TCommand& command)
{
    switch (command.Command) {
    case Lists:
        return TakeLists(farm, command.Arguments);
    case ProgramExit:
        farm.People.CloseOnMastersOrder();
        return true;
    case ProgramSurprise:
        TakeColours(farm, command.Arguments);
        return true;
    case ComputersStart:
        StartNodes(farm, discovery, command.Arguments.value(0));
        return true;
    default:
        return true;
    }
}
