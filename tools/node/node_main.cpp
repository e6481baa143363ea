// kestrion-node: a stand-in for a LightWave render node, speaking the node's side of the job and
// ack files and "rendering" small real image files where the scene says.
//
//   kestrion-node -2 -c<config directory> [-t<seconds>] [switches] <job file> <ack file>
//
// Without -t the job file is polled every 50 ms (a real node polls every second), so demos and
// tests run quickly. Switches, also read from KESTRION_NODE_OPTIONS (the farm starts nodes with its
// fixed command line): --frame-time MS (time per frame, default 300), --platform NAME (default
// x86), --crash-after N (exit at once, writing nothing, after N frames), --hang-after N (stop doing
// anything after N frames but stay alive), --poll MS (poll interval, wins over -t).
// SIGTERM and SIGINT end the node at once with exit code 0 and no acknowledgement. --help and
// --version answer and end with exit code 0; a switch it does not know prints the usage to
// standard error and ends with exit code 2.
#include "node.h"
#include "node_settings.h"
#include "options/command_line.h"
#include "support/termination_signal.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrion-node"));

    const QStringList arguments = app.arguments().mid(1);
    if (arguments.contains(QStringLiteral("--help"))) {
        std::fputs(NodeUsage, stdout);
        return 0;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        std::fputs(qPrintable(VersionText(QStringLiteral("kestrion-node"))), stdout);
        return 0;
    }

    TNodeSettings settings;
    QString error;
    if (!ParseNodeArguments(qEnvironmentVariable("KESTRION_NODE_OPTIONS"), arguments, settings, error)) {
        std::fprintf(stderr, "kestrion-node: %s\n%s", qPrintable(error), NodeUsage);
        return 2;
    }

    TTerminationSignal termination;
    QObject::connect(&termination, &TTerminationSignal::Received, &app, [] { QCoreApplication::exit(0); });
    TNode node(settings);
    node.Start();
    return app.exec();
}
