// kestrion-demo: a whole render farm on this computer. Makes a farm in a temporary directory,
// starts the Master (kestriond) with four stand-in render nodes, sends a scene of 48 frames as a
// Remote would, shows the progress, checks every frame file and brings the farm down again.
//
//   kestrion-demo [--keep] [--tick-only] [--web-port N] <kestriond> <kestrion-node>
//   kestrion-demo --window [--screenshots DIR] [--keep] [--web-port N] <kestrion> <kestrion-node>
//
// The Master serves its status page on 127.0.0.1, on port N or, without --web-port, on a free
// one; --web-port 0 turns the page off.
//
// With --window the Master is the desktop program and the farm runs until its window closes.
// With --tick-only the Master takes the nodes' acks on its tick alone, as on a share that gives
// no notice of changes.
//
// The exit code is 0 only when every frame was rendered, verified and found, and the farm ended
// cleanly.
#include "demo_farm.h"
#include "demo_shutdown.h"
#include "demo_status.h"
#include "demo_watch.h"
#include "demo_window.h"
#include "options/options.h"
#include "remote/tcp_link.h"
#include "support/paths.h"
#include "support/termination_signal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

namespace {

const QString DefaultNodeOptions = QStringLiteral("--frame-time 400");

struct TDemoArguments
{
    bool Keep = false;
    bool Window = false;
    bool TickOnly = false;
    QString Screenshots;
    // -1: a free port, picked at the start.
    int WebPort = -1;
    QString MasterProgram;
    QString NodeProgram;
};

bool IsProgram(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

bool ParseArguments(const QStringList& words, TDemoArguments& arguments)
{
    QStringList programs;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word == QStringLiteral("--keep"))
            arguments.Keep = true;
        else if (word == QStringLiteral("--window"))
            arguments.Window = true;
        else if (word == QStringLiteral("--tick-only"))
            arguments.TickOnly = true;
        else if (word == QStringLiteral("--screenshots") && i + 1 < words.size())
            arguments.Screenshots = QFileInfo(words[++i]).absoluteFilePath();
        else if (word == QStringLiteral("--web-port") && i + 1 < words.size()) {
            bool number = false;
            arguments.WebPort = words[++i].toInt(&number);
            if (!number || arguments.WebPort < 0 || arguments.WebPort > 65535)
                return false;
        } else if (word.startsWith(u'-'))
            return false;
        else
            programs.append(QFileInfo(word).absoluteFilePath());
    }
    if (programs.size() != 2)
        return false;
    arguments.MasterProgram = programs[0];
    arguments.NodeProgram = programs[1];
    return true;
}

// The nodes get their switches from the environment; one already set there wins, so a run can
// try crashing or hanging nodes.
QString NodeOptions()
{
    const QString given = qEnvironmentVariable("KESTRION_NODE_OPTIONS");
    return given.isEmpty() ? DefaultNodeOptions : given;
}

// kestriond runs in a process group of its own: Ctrl+C reaches the demo, which then closes the
// farm in order.
void StartMaster(const TDemoFarm& farm, const QString& program, QProcess& master)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), farm.TempDirectory);
    environment.insert(QStringLiteral("KESTRION_NODE_OPTIONS"), NodeOptions());
    master.setProcessEnvironment(environment);
    master.setWorkingDirectory(farm.Root);
    master.setProcessChannelMode(QProcess::MergedChannels);
    master.setStandardOutputFile(farm.MasterLog);
    master.setStandardInputFile(QProcess::nullDevice());
    master.setChildProcessModifier([] { ::setpgid(0, 0); });
    master.start(program, { QStringLiteral("--start-nodes"), farm.MasterOptionsName });
}

// The nodes' time per frame, from their "--frame-time MS" switch.
double FrameTimeSeconds(const QString& nodeOptions)
{
    const QStringList words = nodeOptions.split(u' ', Qt::SkipEmptyParts);
    const qsizetype at = words.indexOf(QStringLiteral("--frame-time"));
    return at >= 0 ? words.value(at + 1).toDouble() / 1000.0 : 0.3;
}

QString Seconds(double seconds)
{
    return QString::number(seconds, 'f', seconds < 10 ? 2 : 1) + QStringLiteral(" s");
}

void PrintSummary(const TDemoFarm& farm, const TDemoFigures& figures, bool tickOnly)
{
    PrintLine(QString());
    PrintLine(
        QStringLiteral("Done: %1 frames rendered by %2 nodes and verified by the Master; all %3 frame files")
            .arg(figures.Frames)
            .arg(DemoNodeCount)
            .arg(figures.FrameFiles));
    PrintLine(QStringLiteral("(RGB and alpha) found in %1.")
                  .arg(JoinPath(farm.ContentDirectory, QStringLiteral("Renders"))));
    PrintLine(QStringLiteral("  Wall time            %1 from sending the scene to finding the last frame")
                  .arg(Seconds(figures.WallSeconds)));
    PrintLine(QStringLiteral("  Average per frame    %1 from handing a frame out to booking it")
                  .arg(Seconds(figures.AverageFrameSeconds)));
    const double frameSeconds = FrameTimeSeconds(NodeOptions());
    if (figures.SpanSeconds > 0 && frameSeconds > 0) {
        const double rendering = figures.Frames * frameSeconds;
        PrintLine(QStringLiteral("  Node time rendering  %1 % (%2 of frames of %3 each, of %4 nodes x %5)")
                      .arg(qRound(100.0 * rendering / (figures.SpanSeconds * DemoNodeCount)))
                      .arg(Seconds(rendering))
                      .arg(Seconds(frameSeconds))
                      .arg(DemoNodeCount)
                      .arg(Seconds(figures.SpanSeconds)));
        // Between two pieces a node waits for the Master to take "Rendering", then "Ready": on
        // its tick, or at once when the file system tells it of the ack.
        PrintLine(QStringLiteral("  Node idle per piece  %1 (Master interval %2, %3, node poll %4)")
                      .arg(Seconds(std::max(0.0, figures.AverageFrameSeconds - frameSeconds)))
                      .arg(Seconds(DemoMasterIntervalMs / 1000.0))
                      .arg(tickOnly ? QStringLiteral("ticks only") : QStringLiteral("acks watched"))
                      .arg(Seconds(0.05)));
    }
    if (figures.MasterSeconds > 0)
        PrintLine(QStringLiteral("  Master CPU           %1 (%2 % of the %3 it ran)")
                      .arg(Seconds(figures.MasterCpuSeconds))
                      .arg(100.0 * figures.MasterCpuSeconds / figures.MasterSeconds, 0, 'f', 1)
                      .arg(Seconds(figures.MasterSeconds)));
}

// Brings the farm down; false when it did not end cleanly.
bool StopFarm(const TDemoFarm& farm, QProcess& master)
{
    bool clean = true;
    QString problem;
    const bool wasRunning = master.state() != QProcess::NotRunning;
    if (wasRunning && !StopMaster(master, problem)) {
        PrintLine(problem);
        clean = false;
    } else if (wasRunning) {
        PrintLine(QStringLiteral("kestriond stopped (exit code 0); its lists are in %1.")
                      .arg(farm.CommandsDirectory));
    }
    TOptions options;
    LoadMasterOptions(farm, options);
    const TNodeStopResult nodes = StopNodes(options, farm);
    if (nodes.Offline > 0)
        PrintLine(QStringLiteral("%1 render nodes answered \"Offline\" to \"quit\".").arg(nodes.Offline));
    for (const QString& note : nodes.Notes) {
        PrintLine(QStringLiteral("Cannot tell a node to quit: ") + note);
        clean = false;
    }
    for (const QString& node : nodes.Killed) {
        PrintLine(QStringLiteral("Killed %1: it did not end after \"quit\".").arg(node));
        clean = false;
    }
    return clean;
}

void PrintWhereLogsAre(const TDemoFarm& farm)
{
    PrintLine(QStringLiteral("The farm is kept in %1:").arg(farm.Root));
    PrintLine(QStringLiteral("  kestriond's output, one line per event: %1").arg(farm.MasterLog));
    PrintLine(QStringLiteral("  the events file: %1").arg(farm.EventsFile));
    PrintLine(QStringLiteral("  the Master's lists and the nodes' job and ack files: %1")
                  .arg(farm.CommandsDirectory));
}

int RunDemo(const TDemoFarm& farm, const TDemoArguments& arguments, QTemporaryDir& directory)
{
    QString error;
    if (!MakeDemoFarm(farm, error, !arguments.TickOnly)) {
        PrintLine(QStringLiteral("kestrion-demo: ") + error);
        return 1;
    }
    QProcess master;
    StartMaster(farm, arguments.MasterProgram, master);
    if (!master.waitForStarted()) {
        PrintLine(QStringLiteral("kestrion-demo: cannot start %1: %2")
                      .arg(arguments.MasterProgram, master.errorString()));
        return 1;
    }
    PrintLine(QStringLiteral("Master: kestriond --start-nodes (events in %1), nodes: %2 x kestrion-node %3")
                  .arg(farm.MasterLog)
                  .arg(DemoNodeCount)
                  .arg(NodeOptions()));

    TStatusDisplay display(StandardOutputIsTerminal());
    TDemoWatch watch(farm, master, display);
    TTerminationSignal termination;
    QObject::connect(
        &termination, &TTerminationSignal::Received, &termination, [&watch] { watch.Interrupted = true; });
    const bool done = watch.Run();
    if (done)
        PrintSummary(farm, watch.Figures, arguments.TickOnly);
    else
        PrintLine(QStringLiteral("\nThe demo failed: ") + watch.Failure);
    const bool clean = StopFarm(farm, master);
    if (done && clean)
        return 0;
    directory.setAutoRemove(false);
    PrintWhereLogsAre(farm);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrion-demo"));

    TDemoArguments arguments;
    if (!ParseArguments(app.arguments().mid(1), arguments)) {
        std::fputs("usage: kestrion-demo [--keep] [--tick-only] [--web-port N] <kestriond> <kestrion-node>\n"
                   "       kestrion-demo --window [--screenshots DIR] [--keep] [--web-port N] <kestrion> "
                   "<kestrion-node>\n",
            stderr);
        return 2;
    }
    for (const QString& program : { arguments.MasterProgram, arguments.NodeProgram })
        if (!IsProgram(program)) {
            std::fprintf(stderr, "kestrion-demo: no program at %s\n", qPrintable(program));
            return 2;
        }

    QTemporaryDir directory(QDir::tempPath() + QStringLiteral("/kestrion-demo-XXXXXX"));
    if (!directory.isValid()) {
        std::fprintf(stderr, "kestrion-demo: cannot make a temporary directory: %s\n",
            qPrintable(directory.errorString()));
        return 1;
    }
    directory.setAutoRemove(!arguments.Keep);
    PrintLine(QStringLiteral("Demo farm: %1%2")
                  .arg(directory.path(),
                      arguments.Keep ? QString() : QStringLiteral(" (removed at the end; --keep keeps it)")));
    TDemoFarm farm = DemoFarmPaths(directory.path(), arguments.NodeProgram);
    farm.WebPort = arguments.WebPort >= 0 ? arguments.WebPort : FreePort();
    if (farm.WebPort > 0)
        PrintLine(QStringLiteral("Status page: http://127.0.0.1:%1/").arg(farm.WebPort));
    if (arguments.Window)
        return RunWindowDemo(farm, arguments.MasterProgram, NodeOptions(), arguments.Screenshots);
    return RunDemo(farm, arguments, directory);
}
