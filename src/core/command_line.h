#pragma once
// What the command line asks of a run: "R" first makes it a Remote; a second argument names
// the options file (without ".ini"), honoured only together with a first one.

#include "options/options.h"

#include <QString>
#include <QStringList>

struct TCommandLine
{
    bool Remote = false;
    QString OptionsName = DefaultOptionsFileName;
};

// `arguments` without the program name.
TCommandLine ParseCommandLine(const QStringList& arguments);
