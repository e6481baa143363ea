#include "remote/command.h"

#include "options/options.h"
#include "support/record_text.h"
#include "support/text_routines.h"

#include <array>

namespace {

const std::array<QString, NoCommand> CommandNames
    = { QStringLiteral("ScenesMove"), QStringLiteral("ScenesAdd"), QStringLiteral("ScenesRemove"),
          QStringLiteral("ScenesDuplicate"), QStringLiteral("ScenesEdit"), QStringLiteral("ScenesReset"),
          QStringLiteral("ScenesCopied"), QStringLiteral("ScenesReload"), QStringLiteral("ComputersRescan"),
          QStringLiteral("ComputersKill"), QStringLiteral("ComputersCrashed"), QStringLiteral("EventMessage"),
          QStringLiteral("ProgramUpdate"), QStringLiteral("Lists"), QStringLiteral("ProgramExit"),
          QStringLiteral("ProgramSurprise"), QStringLiteral("ComputersStart") };

constexpr qsizetype ArgumentsLine = 6;

int CommandCode(const QString& name)
{
    for (size_t code = 0; code < CommandNames.size(); ++code) {
        if (CommandNames[code] == name)
            return static_cast<int>(code);
    }
    return NoCommand;
}

} // namespace

QString CommandName(int code)
{
    if (code < 0 || code >= NoCommand)
        return {};
    return CommandNames[static_cast<size_t>(code)];
}

TCommand::TCommand(int code)
    : Command(code)
{ }

void TCommand::ToLines(QStringList& lines) const
{
    lines.reserve(lines.size() + ArgumentsLine + Arguments.size());
    lines.append(CommandHeader);
    lines.append(CommandName(Command));
    lines.append(QString::number(Arguments.size()));
    lines.append(OneLine(SenderName));
    lines.append(OneLine(SenderScreamers));
    lines.append(QString::number(SenderMemory));
    for (const QString& argument : Arguments)
        lines.append(OneLine(argument));
}

bool TCommand::FromLines(const QStringList& lines)
{
    Arguments.clear();
    if (lines.size() < ArgumentsLine || lines[0] != CommandHeader)
        return false;
    Command = CommandCode(lines[1]);
    qint64 count = -1;
    if (!TextToInteger(lines[2], count))
        count = -1;
    SenderName = lines[3];
    SenderScreamers = lines[4];
    const bool memoryRead = TextToInteger(lines[5], SenderMemory);
    Arguments = lines.mid(ArgumentsLine);
    return memoryRead && count == Arguments.size();
}

TCommand MakeCommand(int code, const TOptions& options)
{
    TCommand command(code);
    command.SenderName = options.ScreamerName;
    command.SenderScreamers = options.ScreamerNumbers;
    command.SenderMemory = options.MemorySize;
    return command;
}
