#pragma once
// What kestrion-cli is asked to do, read from its arguments without touching the farm, so a
// mistake is refused (exit code 2) before anything is sent.

#include <QString>
#include <QStringList>
#include <optional>

enum class TCliCommand
{
    None,
    Submit,
    Status,
    Nodes,
    Watch,
    Remove,
    Reset,
    Duplicate,
    Priority,
    Kill,
    Crashed,
    Rescan,
    Message
};

// The switches of "submit": each changes the initial options only when given.
struct TSubmitSwitches
{
    std::optional<int> Priority;
    bool Range = false;
    int First = 0;
    int Last = 0;
    int Step = 1;
    // A number list ("1 5 9"), from LightWave's arbitrary-frames syntax ("1,5,9-12").
    std::optional<QString> Singles;
    std::optional<QString> Nodes;
    std::optional<int> MaxNodes;
    std::optional<int> Percent;
    std::optional<int> Memory;
    // Automatic verifications; 0 switches automatic verification off.
    std::optional<int> Verify;
    bool Wait = false;
};

inline constexpr int DefaultCliTimeoutSeconds = 30;

struct TCliArguments
{
    TCliCommand Command = TCliCommand::None;
    // As given to --options, ".ini" added (see OptionsFilePath); empty: the default file.
    QString OptionsName;
    bool Json = false;
    bool Help = false;
    bool Version = false;
    // How long the Master may stay silent before a command gives up.
    int TimeoutSeconds = DefaultCliTimeoutSeconds;
    // Scenes (IDs or file names), node numbers, or the message's words, as given.
    QStringList Words;
    // "priority ID LEVEL": the level.
    int Level = 2;
    bool RenderAgain = false;
    TSubmitSwitches Submit;
    // Why the arguments cannot be used; the program shows it with the usage and exits 2.
    QString Error;
};

TCliArguments ParseCliArguments(const QStringList& arguments);

// "FIRST-LAST" or "FIRSTxSTEP"-less forms: "1-100", "1-100x5", "12"; false for anything else, a
// last frame before the first or a step below 1.
bool ParseFrameRange(const QString& text, int& first, int& last, int& step);
// "4", "1,3,5-8" as a number list ("1 3 5 6 7 8"); false when it holds anything else.
bool ParseNumberList(const QString& text, QString& numbers);

QString CliCommandName(TCliCommand command);
// The client's usage, or one command's when `command` is not None.
QString CliUsage(TCliCommand command = TCliCommand::None);
