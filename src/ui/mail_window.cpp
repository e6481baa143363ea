#include "ui/mail_window.h"

#include "support/people.h"
#include "ui/look.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormMail::TFormMail(QWidget* parent)
    : QDialog(parent)
    , LabelMessage(new QLabel(QStringLiteral("Sending mail..."), this))
    , PanelBottom(new TPanel(this))
    , ButtonOk(new QPushButton(QStringLiteral("Cancel"), PanelBottom))
{
    setWindowTitle(QStringLiteral("Communication"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    LabelMessage->setAlignment(Qt::AlignCenter);
    LabelMessage->setWordWrap(true);
    LabelMessage->setMinimumSize(320, 48);

    auto* bottom = new QHBoxLayout(PanelBottom);
    bottom->addStretch();
    bottom->addWidget(ButtonOk);
    bottom->addStretch();
    ButtonOk->setDefault(true);
    connect(ButtonOk, &QPushButton::clicked, this, &TFormMail::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelMessage);
    layout->addWidget(PanelBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Timer.setInterval(50);
    connect(&Timer, &QTimer::timeout, this, &TFormMail::Poll);
}

void TFormMail::Watch(TMailTransfer& transfer)
{
    FTransfer = &transfer;
    LabelMessage->setText(transfer.Stage());
    if (!transfer.Finished()) {
        Timer.start();
        exec();
        Timer.stop();
    }
    FTransfer = nullptr;
}

void TFormMail::Poll()
{
    if (!FTransfer)
        return;
    LabelMessage->setText(FTransfer->Stage());
    if (FTransfer->Finished())
        accept();
}

void TFormMail::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
    ButtonOk->setFocus();
}

void TFormMail::reject()
{
    if (FTransfer)
        FTransfer->Cancel();
    QDialog::reject();
}
