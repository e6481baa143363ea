#include "core/command_line.h"

TCommandLine ParseCommandLine(const QStringList& arguments)
{
    TCommandLine result;
    if (!arguments.isEmpty())
        result.Remote = arguments.first() == QStringLiteral("R");
    if (arguments.size() >= 2)
        result.OptionsName = arguments.at(1) + QStringLiteral(".ini");
    return result;
}
