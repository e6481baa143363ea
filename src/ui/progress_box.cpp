#include "ui/progress_box.h"

#include "ui/look.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int BoxWidth = 360;
constexpr int BoxHeight = 132;
constexpr int BarTop = 60;
constexpr int BarHeight = 20;

void Colour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

TFormProgress::TFormProgress(QWidget* parent)
    : QDialog(parent)
    , LabelMessage(new QLabel(this))
    , ShapeProgressMax(new QFrame(this))
    , ShapeProgress(new QFrame(ShapeProgressMax))
    , PanelBottom(new TPanel(this))
    , ButtonCancel(new QPushButton(QStringLiteral("Cancel"), PanelBottom))
{
    setWindowTitle(QStringLiteral("Please wait while..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(BoxWidth, BoxHeight);

    LabelMessage->setAlignment(Qt::AlignCenter);
    LabelMessage->setWordWrap(true);
    LabelMessage->setGeometry(4, 8, BoxWidth - 8, BarTop - 16);
    ShapeProgressMax->setGeometry(8, BarTop, BoxWidth - 16, BarHeight);
    // The done part sits inside the full bar's two-pixel rim.
    ShapeProgress->setGeometry(2, 2, 0, BarHeight - 4);

    PanelBottom->setGeometry(0, BarTop + BarHeight + 12, BoxWidth, BoxHeight - BarTop - BarHeight - 12);
    ButtonCancel->adjustSize();
    ButtonCancel->move(
        (BoxWidth - ButtonCancel->width()) / 2, (PanelBottom->height() - ButtonCancel->height()) / 2);
    ButtonCancel->setDefault(true);
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { Cancelled = true; });
}

void TFormProgress::ShowProgress()
{
    Cancelled = false;
    if (!isVisible())
        show();
}

void TFormProgress::SetProgress(int position)
{
    Position = std::max(Minimum, std::min(Maximum, position));

    // 64-bit: a range of a few million items times a bar width no longer fits in 32 bits.
    const qint64 room = std::max(0, FullWidth() - 4);
    qint64 done = 0;
    if (Minimum != Maximum)
        done = room * (qint64(position) - Minimum) / (qint64(Maximum) - Minimum);
    ShapeProgress->resize(static_cast<int>(std::clamp<qint64>(done, 0, room)), ShapeProgress->height());

    QString text = MessageText;
    const qsizetype mark = text.indexOf(QLatin1Char('#'));
    if (mark >= 0)
        text.replace(mark, 1, QString::number(Position));
    LabelMessage->setText(text);
}

int TFormProgress::DoneWidth() const
{
    return ShapeProgress->width();
}
int TFormProgress::FullWidth() const
{
    return ShapeProgressMax->width();
}
QString TFormProgress::LabelText() const
{
    return LabelMessage->text();
}

void TFormProgress::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    Colour(ShapeProgressMax, LookBase());
    Colour(ShapeProgress, LookBright());
    ShapeProgressMax->resize(width() - 16, ShapeProgressMax->height());
    ShapeProgress->resize(0, ShapeProgress->height());
    QDialog::showEvent(event);
    ButtonCancel->setFocus();
}

// Escape and the window's close button ask the running operation to stop, as Cancel does; the
// caller closes the box when it has stopped.
void TFormProgress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Cancelled = true;
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormProgress::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous())
        Cancelled = true;
    QDialog::closeEvent(event);
}
