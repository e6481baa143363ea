#include "ui/check_config.h"

#include "options/options.h"
#include "ui/look.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TFormCheckConfig::TFormCheckConfig(QWidget* parent)
    : QDialog(parent)
    , Label1(new QLabel(QStringLiteral("Content Directory"), this))
    , EditContentDirectory(new QLineEdit(this))
    , ListBoxExtensions(new QListWidget(this))
    , ButtonOk(new QPushButton(QStringLiteral("&Ok"), this))
{
    setWindowTitle(QStringLiteral("Data retreived from Screamer config file..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    EditContentDirectory->setReadOnly(true);
    EditContentDirectory->setEnabled(false);
    EditContentDirectory->setFrame(false);
    ListBoxExtensions->setSelectionMode(QAbstractItemView::NoSelection);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addStretch();
    ButtonOk->setDefault(true);
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(EditContentDirectory);
    layout->addWidget(ListBoxExtensions);
    layout->addLayout(buttons);
    // Wide enough for a content directory on a share, high enough for a dozen savers.
    setFixedSize(420, 320);
}

void TFormCheckConfig::Fill(const TOptions& options)
{
    EditContentDirectory->setText(options.ContentDirectory);
    EditContentDirectory->setCursorPosition(0);
    EditContentDirectory->setToolTip(options.ContentDirectory);
    ListBoxExtensions->clear();
    for (int index = 0; index < options.ImageSavers.size(); ++index) {
        QString name;
        options.ImageSaver(index, name);
        ListBoxExtensions->addItem(name);
    }
}

void TFormCheckConfig::ShowConfig(const TOptions& options)
{
    Fill(options);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    exec();
}

void TFormCheckConfig::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
}
