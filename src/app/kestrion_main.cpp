#include "ui/main_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrion"));
    const bool master = argc < 2 || QString::fromLocal8Bit(argv[1]) != QStringLiteral("R");
    TFormKestrion window(master);
    window.show();
    return QApplication::exec();
}
