// kestrion-cli: a Remote without windows. It reads the Master's queue and nodes and sends it
// commands, then ends: exit code 0 when done, 1 when something failed (said on standard error),
// 2 for arguments it cannot use.
#include "app/cli_arguments.h"
#include "app/cli_commands.h"
#include "options/command_line.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kestrion"));

    const TCliArguments arguments = ParseCliArguments(QCoreApplication::arguments().mid(1));
    if (arguments.Version) {
        std::fputs(qPrintable(VersionText(QStringLiteral("kestrion-cli"))), stdout);
        return 0;
    }
    if (arguments.Help) {
        std::fputs(qPrintable(CliUsage(arguments.Command)), stdout);
        return 0;
    }
    if (!arguments.Error.isEmpty()) {
        std::fprintf(stderr, "kestrion-cli: %s\n%s", qPrintable(arguments.Error),
            qPrintable(CliUsage(arguments.Command)));
        return 2;
    }
    return RunCli(arguments);
}
