#include "ui/main_window.h"

namespace {
const QString CaptionMaster = QStringLiteral("Kestrion Master");
const QString CaptionRemote = QStringLiteral("Quenvary");
}

TFormKestrion::TFormKestrion(bool master, QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(master ? CaptionMaster : CaptionRemote);
    resize(800, 500);
}
