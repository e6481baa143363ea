#include "farm/node_launch.h"

#include "farm/discovery.h"
#include "farm/farm.h"
#include "model/node_channel.h"
#include "model/screamer.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/people.h"

#include <QFileInfo>

QString NodeParameters(const QString& config, int interval, const QString& jobFile, const QString& ackFile)
{
    const QString quote = QStringLiteral("\"");
    const QString intervalArgument
        = interval == 1 ? QString() : QStringLiteral("-t") + QString::number(interval) + u' ';
    return QStringLiteral("-2 -c") + quote + config + quote + u' ' + intervalArgument + quote + jobFile
        + quote + u' ' + quote + ackFile + quote;
}

QString NodeProgramProblem(const TOptions& options)
{
    if (options.ScreamerFilename == NoneText)
        return QStringLiteral("No node program is set (option ScreamerFilename).");
    const QFileInfo program(options.ScreamerFilename);
    if (!program.isFile())
        return QStringLiteral("The node program %1 was not found (option ScreamerFilename).")
            .arg(options.ScreamerFilename);
    if (!program.isExecutable())
        return QStringLiteral("The node program %1 may not be run (option ScreamerFilename): check its "
                              "permissions.")
            .arg(options.ScreamerFilename);
    return QString();
}

bool Launch(TFarm& farm, TScreamer& screamer)
{
    TOptions& options = farm.Options;
    if (options.ScreamerFilename == NoneText || !QFileInfo(options.ScreamerFilename).isFile()) {
        farm.People.Ask(ScreamerMissingText, false);
        screamer.Started = true;
        return false;
    }
    if (options.ScreamerConfig == NoneText)
        options.ScreamerConfig
            = JoinPath(ExtractDirectory(options.ScreamerFilename), options.PluginConfigName);
    // The node names its files exactly as the Master writes them: names are case-sensitive here.
    const QString parameters = NodeParameters(options.ScreamerConfig, options.ScreamerInterval,
        JobFileName(options, screamer.Number), AckFileName(options, screamer.Number));
    const QString commandLine = ExtractName(options.ScreamerFilename) + u' ' + parameters;
    screamer.Process = TProcessInformation();
    const bool started = StartProcess(options.ScreamerFilename, commandLine,
        ExtractDirectory(options.ScreamerConfig), !options.ScreamerPriorityIdle, screamer.Process,
        options.ScreamerHide ? TShowMode::Hidden : TShowMode::Normal,
        QStringLiteral("Kestrion Screamer ") + QString::number(screamer.Number));
    screamer.Started = true;
    if (!started) {
        const QString problem = NodeProgramProblem(options);
        farm.Events.AddEvent(1, options.ScreamerName, QStringLiteral("Computers Start"),
            QStringLiteral("Screamer %1 could not be started. ").arg(screamer.Number)
                + (problem.isEmpty()
                        ? QStringLiteral("The node program %1 (option ScreamerFilename) did not run.")
                              .arg(options.ScreamerFilename)
                        : problem));
    }
    return started;
}

bool StartScreamer(TFarm& farm, TDiscovery& discovery, int index)
{
    if (farm.Options.ScreamerFilename == NoneText) {
        farm.People.Ask(ScreamerOptionsText, false);
        return false;
    }
    if (index < 0 || index >= farm.Screamers.Count())
        return false;
    // The Remote's update before the start comes with the remote update.
    TScreamer& screamer = farm.Screamers.Item(index);
    if (!Launch(farm, screamer)) {
        // The start menus no longer offer it.
        farm.People.Refresh(TView::Computers);
        return false;
    }
    discovery.Rescan();
    farm.UserEvent(
        QStringLiteral("Computers Start"), QStringLiteral("Screamer %1 started.").arg(screamer.Number));
    farm.ComputersChanged();
    if (!farm.IsMaster())
        farm.RemoteUpdateSoon();
    return true;
}

TStartMenus RefreshStartMenus(TFarm& farm)
{
    farm.Screamers.Sync(farm.Options.ScreamerNumbers);
    TStartMenus menus;
    menus.TrayCaption = QStringLiteral("All Screamers Started");
    const int shown = std::min(farm.Screamers.Count(), StartMenuEntries);
    for (int i = 0; i < shown; ++i) {
        const TScreamer& screamer = farm.Screamers.Item(i);
        TStartEntry& entry = menus.Entries[static_cast<size_t>(i)];
        entry.Visible = true;
        entry.Caption = QStringLiteral("Screamer ") + QString::number(screamer.Number);
        entry.Enabled = !screamer.Started && farm.Computers.NumberFree(screamer.Number);
        if (entry.Enabled && menus.TrayTag < 0) {
            entry.Shortcut = true;
            menus.TrayCaption = QStringLiteral("Start Screamer ") + QString::number(screamer.Number);
            menus.TrayEnabled = true;
            menus.TrayTag = i;
        }
    }
    return menus;
}
