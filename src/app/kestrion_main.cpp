#include "core/command_line.h"
#include "options/options.h"
#include "support/termination_signal.h"
#include "ui/main_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrion"));

    const TCommandLine commandLine = ParseCommandLine(QApplication::arguments().mid(1));
    TOptions options(commandLine.OptionsName);
    options.Load();
    if (commandLine.Remote)
        options.Master = false;

    TFormKestrion window(options.Master);
    TTerminationSignal termination;
    QObject::connect(&termination, &TTerminationSignal::Received, &window, &QWidget::close);
    window.show();
    const int result = QApplication::exec();
    if (!options.Save())
        qWarning("Kestrion: the options file %s could not be written.",
            qPrintable(OptionsFilePath(options.FileName())));
    return result;
}
