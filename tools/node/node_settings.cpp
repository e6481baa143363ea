#include "node_settings.h"

#include "support/record_text.h"

#include <QProcess>
#include <cstdio>

namespace {

// One pass over a list of arguments; paths go into `paths` in order.
class TArgumentReader
{
public:
    TArgumentReader(const QStringList& arguments, TNodeSettings& settings)
        : arguments_(arguments)
        , settings_(settings)
    { }

    bool Read(QStringList& paths, QString& error)
    {
        for (index_ = 0; index_ < arguments_.size(); ++index_) {
            const QString& argument = arguments_.at(index_);
            if (!ReadOne(argument, paths)) {
                error = error_.isEmpty() ? QStringLiteral("unknown argument %1").arg(argument) : error_;
                return false;
            }
        }
        return true;
    }

    // --poll wins over -t wherever either stands: the farm's command line carries its own -t.
    int PollOverride = 0;

private:
    bool ReadOne(const QString& argument, QStringList& paths)
    {
        if (argument == QStringLiteral("--frame-time"))
            return ReadNumber(argument, 0, settings_.FrameMilliseconds);
        if (argument == QStringLiteral("--poll"))
            return ReadNumber(argument, 1, PollOverride);
        if (argument == QStringLiteral("--crash-after"))
            return ReadNumber(argument, 0, settings_.CrashAfter);
        if (argument == QStringLiteral("--hang-after"))
            return ReadNumber(argument, 0, settings_.HangAfter);
        if (argument == QStringLiteral("--platform"))
            return ReadValue(argument, settings_.Platform);
        if (argument.startsWith(QStringLiteral("--")))
            return false;
        if (argument == QStringLiteral("-c"))
            return ReadValue(argument, settings_.ConfigDirectory);
        if (argument.startsWith(QStringLiteral("-c"))) {
            settings_.ConfigDirectory = argument.mid(2);
            return true;
        }
        if (argument.startsWith(QStringLiteral("-t")))
            return ReadSeconds(argument);
        // The mode switch of the node program; this stand-in only speaks files.
        if (argument == QStringLiteral("-2"))
            return true;
        if (argument.startsWith(u'-') && argument.size() > 1)
            return false;
        paths.append(argument);
        return true;
    }

    bool ReadValue(const QString& name, QString& value)
    {
        if (index_ + 1 >= arguments_.size()) {
            error_ = QStringLiteral("%1 needs a value").arg(name);
            return false;
        }
        value = arguments_.at(++index_);
        return true;
    }

    bool ReadNumber(const QString& name, int minimum, int& number)
    {
        QString text;
        if (!ReadValue(name, text))
            return false;
        int value = 0;
        if (!TextToInteger(text, value) || value < minimum) {
            error_ = QStringLiteral("%1 needs a number of at least %2").arg(name).arg(minimum);
            return false;
        }
        number = value;
        return true;
    }

    // The farm writes whatever interval its options hold; one the node cannot use keeps the
    // default rather than keeping the node from starting.
    bool ReadSeconds(const QString& argument)
    {
        int seconds = 0;
        if (TextToInteger(QStringView(argument).mid(2), seconds) && seconds >= 1 && seconds <= 3600)
            settings_.PollMilliseconds = seconds * 1000;
        else
            std::fprintf(
                stderr, "kestrion-node: %s: no usable poll interval, ignored\n", qPrintable(argument));
        return true;
    }

    const QStringList arguments_;
    TNodeSettings& settings_;
    qsizetype index_ = 0;
    QString error_;
};

} // namespace

bool ParseNodeArguments(
    const QString& environment, const QStringList& arguments, TNodeSettings& settings, QString& error)
{
    QStringList paths;
    TArgumentReader fromEnvironment(QProcess::splitCommand(environment), settings);
    if (!fromEnvironment.Read(paths, error))
        return false;
    if (!paths.isEmpty()) {
        error = QStringLiteral("KESTRION_NODE_OPTIONS holds switches only");
        return false;
    }
    TArgumentReader fromCommandLine(arguments, settings);
    if (!fromCommandLine.Read(paths, error))
        return false;
    const int pollOverride
        = fromCommandLine.PollOverride > 0 ? fromCommandLine.PollOverride : fromEnvironment.PollOverride;
    if (pollOverride > 0)
        settings.PollMilliseconds = pollOverride;
    if (paths.size() != 2) {
        error = QStringLiteral("expected the job file and the ack file");
        return false;
    }
    settings.JobPath = paths.at(0);
    settings.AckPath = paths.at(1);
    return true;
}
