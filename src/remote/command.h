#pragma once
// Commands between a Remote and the Master: a code, the sender's identification and argument
// lines, carried as text lines by the command file or the TCP link.

#include <QString>
#include <QStringList>

class TOptions;

enum TCommandCode : quint8
{
    ScenesMove = 0,
    ScenesAdd,
    ScenesRemove,
    ScenesDuplicate,
    ScenesEdit,
    ScenesReset,
    ScenesCopied,
    ScenesReload,
    ComputersRescan,
    ComputersKill,
    ComputersCrashed,
    EventMessage,
    ProgramUpdate,
    Lists,
    ProgramExit,
    ProgramSurprise,
    ComputersStart,
    NoCommand = 17
};

// The name written for a code; empty for NoCommand and anything unknown.
QString CommandName(int code);

inline const QString CommandHeader = QStringLiteral("Kestrion Command");

class TCommand
{
public:
    explicit TCommand(int code = NoCommand);

    int Command;
    QString SenderName;
    QString SenderScreamers; // the sender's screamer numbers, separated by single blanks
    int SenderMemory = 0;
    QStringList Arguments;

    // Appends the command's lines: header, name, argument count, the three sender lines, the
    // arguments. Line breaks inside a field become blanks, so every field stays one line.
    void ToLines(QStringList& lines) const;
    // True only for at least 6 lines, the exact header, a decimal memory line and as many
    // argument lines as line 2 announces. An unknown name gives NoCommand. When the first two
    // checks pass the fields and arguments are taken whatever else fails; otherwise the
    // command is left with no arguments.
    bool FromLines(const QStringList& lines);
};

// A command whose sender lines come from this installation's options.
TCommand MakeCommand(int code, const TOptions& options);
