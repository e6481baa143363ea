#include "options/command_line.h"

#include <cstdio>

namespace {

const QString HelpOption = QStringLiteral("--help");
const QString VersionOption = QStringLiteral("--version");
const QString StartNodesOption = QStringLiteral("--start-nodes");

QString ProgramName(TProgram program)
{
    return program == TProgram::Desktop ? QStringLiteral("kestrion") : QStringLiteral("kestriond");
}

// The desktop program keeps its two places; Qt takes its own options (-platform ...) before.
void ReadDesktopArguments(const QStringList& arguments, TCommandLine& result)
{
    if (!arguments.isEmpty())
        result.Remote = arguments.first() == QStringLiteral("R");
    if (arguments.size() >= 2)
        result.OptionsName = OptionsFileName(arguments.at(1));
}

void ReadDaemonArguments(const QStringList& arguments, TCommandLine& result)
{
    for (const QString& argument : arguments) {
        if (argument == StartNodesOption)
            result.StartNodes = true;
        else if (argument.startsWith(u'-')) {
            if (result.Unknown.isEmpty())
                result.Unknown = argument;
        } else
            result.OptionsName = OptionsFileName(argument);
    }
}

} // namespace

QString OptionsFileName(const QString& argument)
{
    if (argument.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive))
        return argument;
    return argument + QStringLiteral(".ini");
}

TCommandLine ParseCommandLine(TProgram program, const QStringList& arguments)
{
    TCommandLine result;
    QStringList rest;
    for (const QString& argument : arguments) {
        if (argument == HelpOption)
            result.Help = true;
        else if (argument == VersionOption)
            result.Version = true;
        else
            rest << argument;
    }
    if (program == TProgram::Desktop)
        ReadDesktopArguments(rest, result);
    else
        ReadDaemonArguments(rest, result);
    return result;
}

int AnswerCommandLine(TProgram program, const TCommandLine& commandLine)
{
    if (!commandLine.Unknown.isEmpty()) {
        std::fprintf(stderr, "%s: unknown option %s\n%s", qPrintable(ProgramName(program)),
            qPrintable(commandLine.Unknown), qPrintable(UsageText(program)));
        return 2;
    }
    if (commandLine.Help || commandLine.Version) {
        std::fputs(qPrintable(commandLine.Help ? UsageText(program) : VersionText(program)), stdout);
        return 0;
    }
    return -1;
}

QString UsageText(TProgram program)
{
    if (program == TProgram::Desktop)
        return QStringLiteral(
            "usage: kestrion [R [OPTIONS]]\n"
            "  The desktop program of the render farm. R runs this installation as a Remote (and keeps\n"
            "  it so); OPTIONS, after a first argument, names the options file (\".ini\" is added\n"
            "  unless the name ends in it; default: Kestrion4Options.ini, in ~/.config/Kestrion).\n"
            "  --help     this text\n"
            "  --version  the program's version\n");
    return QStringLiteral(
        "usage: kestriond [--start-nodes] [OPTIONS]\n"
        "  Runs the Master without windows. OPTIONS names the options file (\".ini\" is added\n"
        "  unless the name ends in it; default: Kestrion4Options.ini). --start-nodes starts\n"
        "  this computer's render nodes.\n"
        "  --help     this text\n"
        "  --version  the program's version\n");
}

QString VersionText(TProgram program)
{
    return VersionText(ProgramName(program));
}

QString VersionText(const QString& programName)
{
    return programName + QStringLiteral(" " KESTRION_VERSION "\n");
}
