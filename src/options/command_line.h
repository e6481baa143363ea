#pragma once
// What the command line asks of a run, read the same way for both programs. kestrion: "R"
// first makes it a Remote; a second argument names the options file (without ".ini"),
// honoured only together with a first one. kestriond: an argument names the options file and
// "--start-nodes" starts this computer's render nodes. Both know --help and --version. An
// options name already ending in ".ini" is taken as it is.

#include "options/options.h"

#include <QString>
#include <QStringList>

enum class TProgram
{
    Desktop, // kestrion
    Daemon // kestriond
};

struct TCommandLine
{
    bool Remote = false;
    bool StartNodes = false;
    bool Help = false;
    bool Version = false;
    QString OptionsName = DefaultOptionsFileName;
    // An option the program does not know; it shows its usage and ends with exit code 2.
    QString Unknown;
};

// "Master" and "Master.ini" both name Master.ini.
QString OptionsFileName(const QString& argument);

// `arguments` without the program name.
TCommandLine ParseCommandLine(TProgram program, const QStringList& arguments);

// The text of --help.
QString UsageText(TProgram program);
// What a program does before anything else: --help and --version print to standard output, an
// unknown option prints the usage to standard error. The exit code when the program is to end
// here (0 or 2), -1 when it is to run.
int AnswerCommandLine(TProgram program, const TCommandLine& commandLine);
// The text of --version: the program's name and version.
QString VersionText(TProgram program);
QString VersionText(const QString& programName);
