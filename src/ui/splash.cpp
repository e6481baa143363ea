#include "ui/splash.h"

#include "ui/jpeg_image.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

namespace {

constexpr int SplashWidth = 640;
constexpr int SplashHeight = 480;
constexpr int StripHeight = 20;
constexpr int CloseAfter = 5000;

} // namespace

void LoadPictures()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(kestrion);
        return true;
    }();
    Q_UNUSED(loaded);
}

QIcon KestrionIcon()
{
    LoadPictures();
    QIcon icon(QStringLiteral(":/kestrion.png"));
    icon.addFile(QStringLiteral(":/kestrion64.png"));
    return icon;
}

QString VersionLabelText()
{
    return QStringLiteral("v4.0 ") + BuildNickname;
}

TFormSplash::TFormSplash(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
    , FPicture(new QLabel(this))
    , FVersion(new QLabel(VersionLabelText(), this))
{
    LoadPictures();
    setFixedSize(SplashWidth, SplashHeight);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, QColor(200, 200, 200));
    setPalette(black);
    setAutoFillBackground(true);

    QFile file(QStringLiteral(":/splash.jpg"));
    if (file.open(QIODevice::ReadOnly))
        FPicture->setPixmap(QPixmap::fromImage(DecodeJpeg(file.readAll())));
    FVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FVersion->setPalette(black);

    FTimer.setSingleShot(true);
    FTimer.setInterval(CloseAfter);
    connect(&FTimer, &QTimer::timeout, this, &TFormSplash::accept);
}

void TFormSplash::ShowSplash()
{
    exec();
}

void TFormSplash::ShowModeless()
{
    show();
}

void TFormSplash::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    FTimer.start();
}

void TFormSplash::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The picture fills the area above the version strip, centred in it.
    const int area = height() - StripHeight;
    const QSize picture = FPicture->sizeHint();
    FPicture->setGeometry((width() - picture.width()) / 2, qMax(0, (area - picture.height()) / 2),
        picture.width(), picture.height());
    FVersion->setGeometry(0, area, width() - 6, StripHeight);
}

void TFormSplash::keyPressEvent(QKeyEvent*)
{
    accept();
}

void TFormSplash::mousePressEvent(QMouseEvent*)
{
    accept();
}

void TFormSplash::hideEvent(QHideEvent* event)
{
    FTimer.stop();
    QDialog::hideEvent(event);
}
