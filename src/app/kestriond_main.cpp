// kestriond: the Master without windows. Each event, and how each mail went, is one line on
// standard output; SIGTERM or SIGINT close the farm as the main window does. Exit code 1 when
// another Kestrion runs on this computer, another Master holds the commands directory, or
// closing could not write what it stores.
#include "farm/controller.h"
#include "options/command_line.h"
#include "options/options.h"
#include "support/instance_lock.h"
#include "support/people.h"
#include "support/termination_signal.h"
#include "support/text_routines.h"
#include "web/web_service.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

namespace {

// Nobody sits at a daemon: information goes to the log, questions are answered No.
class TConsolePeople : public TPeople
{
public:
    bool Ask(const QString& text, bool isQuestion) override
    {
        Print(text);
        return !isQuestion;
    }
    bool AskWithCheck(const QString& text, const QString&, bool isQuestion, bool&) override
    {
        return Ask(text, isQuestion);
    }
    bool AskText(const QString&, QString& text) override
    {
        text.clear();
        return false;
    }
    // What the TCP/IP link does is no event, but whoever watches a daemon wants to see it.
    void SetStatus(TStatusPanel panel, const QString& text) override
    {
        if (panel == TStatusPanel::LinkStatus && !text.isEmpty())
            Print(QStringLiteral("TCP/IP: ") + text);
    }
    void WatchMail(TMailTransfer& transfer) override
    {
        TPeople::WatchMail(transfer);
        // A failure is an event of its own, with the server's reason.
        if (transfer.Finished() && transfer.Sent())
            Print(QStringLiteral("E-mail: ") + transfer.Stage());
    }
    static void Print(const QString& text)
    {
        QTextStream out(stdout);
        out << OneLine(text) << Qt::endl;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kestrion"));

    const TCommandLine commandLine = ParseCommandLine(TProgram::Daemon, QCoreApplication::arguments().mid(1));
    if (const int exitCode = AnswerCommandLine(TProgram::Daemon, commandLine); exitCode >= 0)
        return exitCode;

    TInstanceLock lock;
    if (!lock.TryLock()) {
        std::fprintf(stderr, "kestriond: another Kestrion is running on this computer (lock %s).\n",
            qPrintable(lock.Path()));
        return 1;
    }

    TOptions options(commandLine.OptionsName);
    options.Load();
    options.Master = true;

    TConsolePeople people;
    TClock clock;
    TController controller(options, people, clock);
    // A Master refused at its start says why and nothing more: it does not start.
    bool refused = false;
    controller.Farm().Events.Added = [&refused](const TEvent& event) {
        if (!refused)
            TConsolePeople::Print(EventLine(event));
    };

    TTerminationSignal termination;
    int result = 0;
    QObject::connect(&termination, &TTerminationSignal::Received, &app, [&](int) {
        if (!controller.Close())
            result = 1;
        QCoreApplication::quit();
    });
    // This program is a Master or nothing: it ends when another Master holds the directory,
    // at once when that is so at the start.
    bool starting = true;
    controller.AnotherMasterFound = [&](const QString& text) {
        std::fprintf(stderr, "kestriond: %s\n", qPrintable(text));
        refused = starting;
        QTimer::singleShot(0, &app, [&] {
            controller.Close();
            result = 1;
            QCoreApplication::quit();
        });
    };

    controller.Start();
    starting = false;
    if (refused)
        return 1;
    if (commandLine.StartNodes)
        controller.StartLocalNodes();
    const TWebService web(controller.Farm());
    QCoreApplication::exec();
    return result;
}
