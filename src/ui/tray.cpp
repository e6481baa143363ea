#include "ui/tray.h"

#include "ui/splash.h"

#include <QMenu>
#include <QSystemTrayIcon>

TTrayIcon::TTrayIcon(QObject* parent)
    : QObject(parent)
    , FMenu(new QMenu)
    , FIcon(new QSystemTrayIcon(KestrionIcon(), this))
{
    connect(FMenu->addAction(QStringLiteral("&Add scene")), &QAction::triggered, this, &TTrayIcon::AddScene);
    FStart = FMenu->addAction(QStringLiteral("&Start screamer"));
    connect(FStart, &QAction::triggered, this, [this] { Q_EMIT StartScreamer(FStartTag); });
    FMenu->addSeparator();
    connect(FMenu->addAction(QStringLiteral("&Maximize")), &QAction::triggered, this, &TTrayIcon::Maximize);
    connect(
        FMenu->addAction(QStringLiteral("&Close")), &QAction::triggered, this, &TTrayIcon::CloseRequested);
    FIcon->setContextMenu(FMenu);
    FIcon->setToolTip(QStringLiteral("Kestrion"));
    connect(FIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT Maximize();
    });
}

// The menu has no parent widget: a tray menu must not belong to the window it stands in for.
TTrayIcon::~TTrayIcon()
{
    delete FIcon;
    delete FMenu;
}

bool TTrayIcon::Available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon::Show()
{
    FIcon->show();
}

void TTrayIcon::Hide()
{
    FIcon->hide();
}

bool TTrayIcon::Visible() const
{
    return FIcon->isVisible();
}

void TTrayIcon::SetStartEntry(const QString& caption, bool enabled, int tag)
{
    FStart->setText(caption);
    FStart->setEnabled(enabled);
    FStartTag = tag;
}
