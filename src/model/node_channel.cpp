#include "model/node_channel.h"

#include "options/options.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/record_text.h"
#include "support/text_file.h"

namespace {

const QString AckPrefix = QStringLiteral("Ack");

// An acknowledgement is two short lines; whatever a broken node writes beyond this is ignored.
constexpr qint64 AckFileLimit = 64 * 1024;

QString CommandWord(TJobCommand command)
{
    switch (command) {
    case JobWait:
        return QStringLiteral("wait");
    case JobInit:
        return QStringLiteral("init");
    case JobContent:
        return QStringLiteral("content");
    case JobLoad:
        return QStringLiteral("load");
    case JobRender:
        return QStringLiteral("render");
    case JobQuit:
        return QStringLiteral("quit");
    case JobDelete:
        break;
    }
    return QString();
}

bool TakesArgument(TJobCommand command)
{
    return command == JobContent || command == JobLoad || command == JobRender;
}

} // namespace

bool IsNodeAnswer(const QString& state)
{
    return state == AckInitializing || state == AckReady || state == AckSettingContent || state == AckLoading
        || state.contains(AckRendering) || state == AckOffline;
}

QString JobFileName(const TOptions& options, int number)
{
    return JoinPath(options.ScreamerDirectory, QStringLiteral("Job") + QString::number(number));
}

QString AckFileName(const TOptions& options, int number)
{
    return JoinPath(options.ScreamerDirectory, AckPrefix + QString::number(number));
}

int AckFileNumber(const QString& name)
{
    int number = 0;
    if (!name.startsWith(AckPrefix) || !TextToInteger(name.sliced(AckPrefix.size()), number) || number <= 0
        || name != AckPrefix + QString::number(number))
        return 0;
    return number;
}

QStringList JobLines(TJobCommand command, const QString& argument, bool oldStyle)
{
    if (command == JobDelete)
        return QStringList();
    QStringList lines { CommandWord(command) };
    if (TakesArgument(command) && oldStyle)
        lines.first() += u' ' + argument;
    else if (TakesArgument(command))
        lines.append(argument);
    // Three empty lines follow the command, as the nodes expect.
    return lines + QStringList { QString(), QString(), QString() };
}

void WriteJob(const TOptions& options, int number, TJobCommand command, const QString& argument)
{
    const QString path = JobFileName(options, number);
    if (command == JobDelete) {
        DeleteFileQuietly(path);
        return;
    }
    // Replaced atomically: a node polling its job file must never act on half a command.
    QString error;
    if (!WriteTextLinesQuickly(path, JobLines(command, argument, options.MasterScreamerOldStyle), &error))
        throw EInOutError(QStringLiteral("Cannot write the job file %1: %2").arg(path, error).toStdString());
}

bool ReadAck(const TOptions& options, int number, TAck& ack)
{
    QStringList lines;
    if (!ReadTextLines(AckFileName(options, number), lines, AckFileLimit))
        return false;
    if (lines.isEmpty() || lines.first().isEmpty())
        return false;
    ack.State = lines.first();
    ack.Platform = lines.size() > 1 ? lines.at(1) : QString();
    return true;
}

void DeleteAck(const TOptions& options, int number)
{
    DeleteFileQuietly(AckFileName(options, number));
}
