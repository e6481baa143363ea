#include "app/cli_arguments.h"

#include "model/scene.h"
#include "options/command_line.h"
#include "support/record_text.h"
#include "views/farm_tables.h"

#include <QRegularExpression>
#include <array>
#include <utility>

namespace {

const std::array<std::pair<const char*, TCliCommand>, 12> CommandNames { {
    { "submit", TCliCommand::Submit },
    { "status", TCliCommand::Status },
    { "nodes", TCliCommand::Nodes },
    { "watch", TCliCommand::Watch },
    { "remove", TCliCommand::Remove },
    { "reset", TCliCommand::Reset },
    { "duplicate", TCliCommand::Duplicate },
    { "priority", TCliCommand::Priority },
    { "kill", TCliCommand::Kill },
    { "crashed", TCliCommand::Crashed },
    { "rescan", TCliCommand::Rescan },
    { "message", TCliCommand::Message },
} };

TCliCommand CommandOf(const QString& word)
{
    for (const auto& [name, command] : CommandNames)
        if (word == QLatin1StringView(name))
            return command;
    return TCliCommand::None;
}

bool Reads(TCliCommand command)
{
    return command == TCliCommand::Status || command == TCliCommand::Nodes || command == TCliCommand::Watch;
}

// Switches that take a value, and the commands that know them.
bool TakesValue(const QString& name)
{
    static const QStringList names { QStringLiteral("--options"), QStringLiteral("--timeout"),
        QStringLiteral("--priority"), QStringLiteral("--frames"), QStringLiteral("--singles"),
        QStringLiteral("--nodes"), QStringLiteral("--max-nodes"), QStringLiteral("--percent"),
        QStringLiteral("--memory"), QStringLiteral("--verify") };
    return names.contains(name);
}

bool ReadNumber(const QString& text, int least, int most, int& number)
{
    return TextToInteger(text.trimmed(), number) && number >= least && number <= most;
}

class TParser
{
public:
    explicit TParser(TCliArguments& result)
        : R(result)
    { }

    void Switch(const QString& name, const QString& value);
    void Check();

private:
    void Fail(const QString& text)
    {
        if (R.Error.isEmpty())
            R.Error = text;
    }
    void Number(const QString& name, const QString& value, int least, int most, std::optional<int>& target)
    {
        int number = 0;
        if (ReadNumber(value, least, most, number))
            target = number;
        else
            Fail(QStringLiteral("%1 takes a number from %2 to %3, not \"%4\"")
                     .arg(name)
                     .arg(least)
                     .arg(most)
                     .arg(value));
    }
    bool SubmitOnly(const QString& name)
    {
        if (R.Command == TCliCommand::Submit)
            return true;
        Fail(QStringLiteral("%1 belongs to submit").arg(name));
        return false;
    }

    TCliArguments& R;
};

void TParser::Switch(const QString& name, const QString& value)
{
    TSubmitSwitches& s = R.Submit;
    if (name == QStringLiteral("--options")) {
        if (value.isEmpty())
            Fail(QStringLiteral("--options needs a file name"));
        R.OptionsName = OptionsFileName(value);
    } else if (name == QStringLiteral("--timeout")) {
        std::optional<int> seconds;
        Number(name, value, 1, 86400, seconds);
        R.TimeoutSeconds = seconds.value_or(R.TimeoutSeconds);
    } else if (name == QStringLiteral("--json")) {
        if (!Reads(R.Command))
            Fail(QStringLiteral("--json belongs to status, nodes and watch"));
        R.Json = true;
    } else if (name == QStringLiteral("--render-again")) {
        if (R.Command != TCliCommand::Crashed)
            Fail(QStringLiteral("--render-again belongs to crashed"));
        R.RenderAgain = true;
    } else if (name == QStringLiteral("--wait")) {
        if (SubmitOnly(name))
            s.Wait = true;
    } else if (!SubmitOnly(name)) {
        return;
    } else if (name == QStringLiteral("--priority")) {
        int priority = 0;
        if (PriorityFromName(value, priority))
            s.Priority = priority;
        else
            Fail(QStringLiteral("--priority takes top, high, normal, low or none, not \"%1\"").arg(value));
    } else if (name == QStringLiteral("--frames")) {
        s.Range = ParseFrameRange(value, s.First, s.Last, s.Step);
        if (!s.Range)
            Fail(QStringLiteral("--frames takes FIRST-LAST or FIRST-LASTxSTEP (\"1-100x2\"), not \"%1\"")
                     .arg(value));
    } else if (name == QStringLiteral("--singles") || name == QStringLiteral("--nodes")) {
        QString numbers;
        if (!ParseNumberList(value, numbers))
            Fail(QStringLiteral("%1 takes numbers and ranges such as \"1,5,9-12\", not \"%2\"")
                     .arg(name, value));
        (name == QStringLiteral("--singles") ? s.Singles : s.Nodes) = numbers;
    } else if (name == QStringLiteral("--max-nodes")) {
        Number(name, value, 1, 100000, s.MaxNodes);
    } else if (name == QStringLiteral("--percent")) {
        Number(name, value, 1, 100, s.Percent);
    } else if (name == QStringLiteral("--memory")) {
        Number(name, value, 1, 1 << 30, s.Memory);
    } else if (name == QStringLiteral("--verify")) {
        Number(name, value, 0, 1000, s.Verify);
    }
}

void TParser::Check()
{
    const qsizetype words = R.Words.size();
    switch (R.Command) {
    case TCliCommand::None:
        Fail(QStringLiteral("no command given"));
        break;
    case TCliCommand::Status:
    case TCliCommand::Nodes:
    case TCliCommand::Watch:
    case TCliCommand::Rescan:
        if (words > 0)
            Fail(QStringLiteral("%1 takes no argument (\"%2\")")
                     .arg(CliCommandName(R.Command), R.Words.first()));
        break;
    case TCliCommand::Submit:
        if (words == 0)
            Fail(QStringLiteral("submit needs a scene file"));
        break;
    case TCliCommand::Remove:
    case TCliCommand::Reset:
    case TCliCommand::Duplicate:
        if (words == 0)
            Fail(QStringLiteral("%1 needs a scene ID or file name").arg(CliCommandName(R.Command)));
        break;
    case TCliCommand::Priority:
        if (words != 2)
            Fail(QStringLiteral("priority takes a scene and a level: priority ID top|high|normal|low|none"));
        else if (!PriorityFromName(R.Words.takeLast(), R.Level))
            Fail(QStringLiteral("the level is top, high, normal, low or none"));
        break;
    case TCliCommand::Kill:
    case TCliCommand::Crashed:
        if (words == 0)
            Fail(QStringLiteral("%1 needs a node number").arg(CliCommandName(R.Command)));
        for (const QString& word : std::as_const(R.Words)) {
            int number = 0;
            if (!ReadNumber(word, 1, 1 << 30, number))
                Fail(QStringLiteral("\"%1\" is no node number").arg(word));
        }
        break;
    case TCliCommand::Message:
        if (R.Words.join(u' ').trimmed().isEmpty())
            Fail(QStringLiteral("message needs a text"));
        break;
    }
}

} // namespace

bool ParseFrameRange(const QString& text, int& first, int& last, int& step)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(-?\\d{1,10})(?:\\s*-\\s*(-?\\d{1,10})(?:\\s*[xX]\\s*(\\d{1,10}))?)?\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return false;
    int a = 0;
    int b = 0;
    int c = 1;
    if (!TextToInteger(match.captured(1), a))
        return false;
    b = a;
    if (match.hasCaptured(2) && !TextToInteger(match.captured(2), b))
        return false;
    if (match.hasCaptured(3) && !TextToInteger(match.captured(3), c))
        return false;
    if (b < a || c < 1)
        return false;
    first = a;
    last = b;
    step = c;
    return true;
}

bool ParseNumberList(const QString& text, QString& numbers)
{
    QString compact = text;
    compact.remove(u' ');
    return ArbitraryFrames(compact, numbers);
}

TCliArguments ParseCliArguments(const QStringList& arguments)
{
    TCliArguments result;
    TParser parser(result);
    // Switches may come before the command, and some belong to one command only.
    QList<std::pair<QString, QString>> given;
    bool switches = true;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (switches && argument == QStringLiteral("--")) {
            switches = false;
            continue;
        }
        if (switches && argument.startsWith(QStringLiteral("--"))) {
            const qsizetype equals = argument.indexOf(u'=');
            const QString name = equals < 0 ? argument : argument.left(equals);
            if (name == QStringLiteral("--help")) {
                result.Help = true;
            } else if (name == QStringLiteral("--version")) {
                result.Version = true;
            } else if (TakesValue(name)) {
                if (equals >= 0) {
                    given.append({ name, argument.mid(equals + 1) });
                } else if (index + 1 < arguments.size()) {
                    given.append({ name, arguments[++index] });
                } else if (result.Error.isEmpty()) {
                    result.Error = QStringLiteral("%1 needs a value").arg(name);
                }
            } else if (equals < 0
                && (name == QStringLiteral("--json") || name == QStringLiteral("--wait")
                    || name == QStringLiteral("--render-again"))) {
                given.append({ name, QString() });
            } else if (result.Error.isEmpty()) {
                result.Error = QStringLiteral("unknown option %1").arg(argument);
            }
            continue;
        }
        if (result.Command == TCliCommand::None) {
            result.Command = CommandOf(argument);
            if (result.Command == TCliCommand::None && argument == QStringLiteral("help"))
                result.Help = true;
            else if (result.Command == TCliCommand::None && result.Error.isEmpty())
                result.Error = QStringLiteral("unknown command \"%1\"").arg(argument);
            continue;
        }
        result.Words << argument;
    }
    if (result.Help || result.Version)
        return result;
    for (const auto& [name, value] : std::as_const(given))
        parser.Switch(name, value);
    parser.Check();
    return result;
}

QString CliCommandName(TCliCommand command)
{
    for (const auto& [name, known] : CommandNames)
        if (known == command)
            return QLatin1StringView(name);
    return QString();
}

QString CliUsage(TCliCommand command)
{
    switch (command) {
    case TCliCommand::None:
        break;
    case TCliCommand::Submit:
        return QStringLiteral(
            "usage: kestrion-cli submit SCENE... [--priority top|high|normal|low|none]\n"
            "           [--frames FIRST-LAST[xSTEP]] [--singles LIST] [--nodes LIST] [--max-nodes N]\n"
            "           [--percent N] [--memory MB] [--verify N] [--wait]\n"
            "  Sends the scene files to the Master with this installation's initial scene options,\n"
            "  changed by the switches, and prints the ID each scene got there.\n"
            "  --frames    the frames to render instead of the file's range (\"1-100\", \"1-100x2\")\n"
            "  --singles   single frames to render (\"1,5,9-12\")\n"
            "  --nodes     only these node numbers may render it (\"1,3-5\")\n"
            "  --max-nodes at most N nodes at once;  --percent at most N % of the nodes\n"
            "  --memory    only nodes with at least MB megabytes per processor\n"
            "  --verify    look for missing frames at most N times (0: never)\n"
            "  --wait      show the progress until the Master has verified every scene: exit 0, or 1\n"
            "              when frames stay missing, a scene is removed or the Master stops answering\n");
    case TCliCommand::Status:
        return QStringLiteral(
            "usage: kestrion-cli status [--json]\n"
            "  The Master's queue: ID, priority, frames done of total, progress, time left,\n"
            "  state (waiting, rendering, finished, verified, frames missing) and scene file.\n");
    case TCliCommand::Nodes:
        return QStringLiteral("usage: kestrion-cli nodes [--json]\n"
                              "  The Master's render nodes: number, computer, state, scene and frames.\n");
    case TCliCommand::Watch:
        return QStringLiteral(
            "usage: kestrion-cli watch [--json]\n"
            "  The queue and the nodes, drawn again every second until Ctrl+C. With --json,\n"
            "  one document per line, each time the lists change.\n");
    case TCliCommand::Remove:
        return QStringLiteral("usage: kestrion-cli remove SCENE...\n"
                              "  Takes the scenes (IDs or file names) out of the Master's queue.\n");
    case TCliCommand::Reset:
        return QStringLiteral("usage: kestrion-cli reset SCENE...\n"
                              "  Starts the scenes (IDs or file names) over.\n");
    case TCliCommand::Duplicate:
        return QStringLiteral(
            "usage: kestrion-cli duplicate SCENE...\n"
            "  Queues a copy of each scene (ID or file name) that starts from the beginning.\n");
    case TCliCommand::Priority:
        return QStringLiteral("usage: kestrion-cli priority SCENE top|high|normal|low|none\n"
                              "  Gives the scene (ID or file name) another priority.\n");
    case TCliCommand::Kill:
        return QStringLiteral("usage: kestrion-cli kill NODE...\n"
                              "  Tells the render nodes with these numbers to quit.\n");
    case TCliCommand::Crashed:
        return QStringLiteral("usage: kestrion-cli crashed NODE... [--render-again]\n"
                              "  Declares the nodes crashed; their frames are rendered again only with\n"
                              "  --render-again.\n");
    case TCliCommand::Rescan:
        return QStringLiteral("usage: kestrion-cli rescan\n"
                              "  Asks the Master to look for render nodes again.\n");
    case TCliCommand::Message:
        return QStringLiteral("usage: kestrion-cli message TEXT\n"
                              "  A line for the Master's events.\n");
    }
    return QStringLiteral(
        "usage: kestrion-cli [--options FILE] [--timeout SECONDS] COMMAND [ARGUMENTS]\n"
        "  A Remote without windows: shows the Master's queue and nodes and sends it commands,\n"
        "  through the commands directory or over TCP/IP as the options file says.\n"
        "commands:\n"
        "  submit SCENE... [switches] [--wait]   queue scene files (kestrion-cli help submit)\n"
        "  status [--json]                       the queue\n"
        "  nodes [--json]                        the render nodes\n"
        "  watch [--json]                        both, drawn again until Ctrl+C\n"
        "  remove | reset | duplicate SCENE...   scenes by ID or file name\n"
        "  priority SCENE LEVEL                  top, high, normal, low or none\n"
        "  kill NODE...                          nodes by number\n"
        "  crashed NODE... [--render-again]\n"
        "  rescan                                look for render nodes again\n"
        "  message TEXT                          a line for the Master's events\n"
        "options:\n"
        "  --options FILE     the options file (\".ini\" added unless given; default\n"
        "                     Kestrion4Options.ini in ~/.config/Kestrion)\n"
        "  --timeout SECONDS  how long the Master may stay silent (default 30)\n"
        "  --help             this text, or a command's with COMMAND --help\n"
        "  --version          the program's version\n"
        "exit codes: 0 done, 1 failed (the reason on standard error), 2 wrong arguments\n");
}
