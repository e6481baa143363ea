#include "demo_window.h"

#include "demo_farm.h"
#include "demo_remote.h"
#include "demo_shutdown.h"
#include "demo_status.h"
#include "farm/farm.h"
#include "farm/node_launch.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/people.h"
#include "support/termination_signal.h"
#include "support/text_file.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <unistd.h>

namespace {

// The demo starts the nodes itself; nobody answers its questions.
class TQuietPeople : public TPeople
{
public:
    bool Ask(const QString& text, bool) override
    {
        PrintLine(text);
        return false;
    }
    bool AskWithCheck(const QString& text, const QString&, bool isQuestion, bool&) override
    {
        return Ask(text, isQuestion);
    }
    bool AskText(const QString&, QString& text) override
    {
        text.clear();
        return false;
    }
};

bool Started(const TDemoFarm& farm)
{
    QStringList lines;
    return ReadTextLines(farm.EventsFile, lines) && lines.contains(QStringLiteral("Started."));
}

// The window's farm starts after its splash; true once its "Started." is in the events file.
bool WaitForStart(const TDemoFarm& farm, QProcess& window)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000 && window.state() == QProcess::Running) {
        if (Started(farm))
            return true;
        QCoreApplication::processEvents();
        QThread::msleep(100);
    }
    return false;
}

void LaunchNodes(const TDemoFarm& demo)
{
    TOptions options;
    LoadMasterOptions(demo, options);
    TQuietPeople people;
    TClock clock;
    TFarm farm(options, people, clock);
    farm.Screamers.Sync(options.ScreamerNumbers);
    for (int i = 0; i < farm.Screamers.Count(); ++i)
        Launch(farm, farm.Screamers.Item(i));
}

void SendScenes(const TDemoFarm& farm, QProcess& window)
{
    TDemoRemote remote(farm);
    remote.Rescan();
    remote.AddScene(farm.ScenePath);
    for (const TDemoScene& scene : DemoExtraScenes)
        remote.AddScene(JoinPath(ExtractDirectory(farm.ScenePath), scene.Name + QStringLiteral(".lws")));
    while (!remote.Flush() && window.state() == QProcess::Running)
        QThread::msleep(100);
}

} // namespace

int RunWindowDemo(const TDemoFarm& farm, const QString& windowProgram, const QString& nodeOptions,
    const QString& screenshots)
{
    QString error;
    if (!MakeDemoFarm(farm, error)) {
        PrintLine(QStringLiteral("kestrion-demo: ") + error);
        return 1;
    }
    // The nodes this demo starts read their switches from its environment.
    qputenv("KESTRION_NODE_OPTIONS", nodeOptions.toLocal8Bit());
    QProcess window;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), farm.TempDirectory);
    if (!screenshots.isEmpty())
        environment.insert(QStringLiteral("KESTRION_SCREENSHOTS"), screenshots);
    window.setProcessEnvironment(environment);
    window.setWorkingDirectory(farm.Root);
    window.setProcessChannelMode(QProcess::ForwardedChannels);
    window.setChildProcessModifier([] { ::setpgid(0, 0); });
    // Any first argument but "R" keeps the options' mode; the second names the options file.
    window.start(windowProgram, { QStringLiteral("M"), farm.MasterOptionsName });
    if (!window.waitForStarted() || !WaitForStart(farm, window)) {
        PrintLine(
            QStringLiteral("kestrion-demo: the window did not start (%1); scripts/demo --terminal runs the "
                           "demo without windows.")
                .arg(window.errorString()));
        window.kill();
        return 1;
    }
    LaunchNodes(farm);
    SendScenes(farm, window);
    PrintLine(QStringLiteral("Kestrion's window shows the demo farm: %1 nodes render %2 scenes. "
                             "Close the window to end the demo.")
                  .arg(DemoNodeCount)
                  .arg(1 + std::size(DemoExtraScenes)));

    QEventLoop loop;
    QObject::connect(&window, &QProcess::finished, &loop, &QEventLoop::quit);
    TTerminationSignal termination;
    QObject::connect(&termination, &TTerminationSignal::Received, &window, [&window] { window.terminate(); });
    if (window.state() == QProcess::Running)
        loop.exec();

    TOptions options;
    LoadMasterOptions(farm, options);
    const TNodeStopResult nodes = StopNodes(options, farm);
    PrintLine(QStringLiteral("Window closed; %1 render nodes answered \"Offline\" to \"quit\".")
                  .arg(nodes.Offline));
    for (const QString& node : nodes.Killed)
        PrintLine(QStringLiteral("Killed %1: it did not end after \"quit\".").arg(node));
    const bool clean = window.exitStatus() == QProcess::NormalExit && window.exitCode() == 0;
    return clean && nodes.Notes.isEmpty() ? 0 : 1;
}
