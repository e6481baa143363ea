// kestrion: the desktop program. "kestrion [R [OPTIONS]]": R runs this installation as a Remote;
// OPTIONS (honoured only after a first argument) names the options file, ".ini" added unless it
// ends so.
#include "options/command_line.h"
#include "options/options.h"
#include "support/termination_signal.h"
#include "ui/main_window.h"
#include "ui/screenshots.h"
#include "web/web_service.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Help and version need no display, so they are answered before the windows start.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    if (const int exitCode
        = AnswerCommandLine(TProgram::Desktop, ParseCommandLine(TProgram::Desktop, rawArguments));
        exitCode >= 0)
        return exitCode;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrion"));

    // Qt has taken its own options (-platform ...) out by now.
    const TCommandLine commandLine = ParseCommandLine(TProgram::Desktop, QApplication::arguments().mid(1));
    TOptions options(commandLine.OptionsName);
    options.Load();
    // Written back on closing, so the change lasts.
    if (commandLine.Remote)
        options.Master = false;

    TClock clock;
    TFormKestrion window(options, clock);
    const QString screenshots = qEnvironmentVariable("KESTRION_SCREENSHOTS");
    if (!screenshots.isEmpty()) {
        window.SplashOnFirstShow = false;
        TakeScreenshotsLater(window, screenshots);
    }
    TTerminationSignal termination;
    QObject::connect(&termination, &TTerminationSignal::Received, &window, [&window] {
        window.ForceClose = true;
        window.close();
    });
    // The status page follows the options and the mode, which the window may change.
    const TWebService web(window.Farm());
    window.show();
    QApplication::exec();
    return window.WriteFailed ? 1 : 0;
}
