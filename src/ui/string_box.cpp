#include "ui/string_box.h"

#include "ui/dialog_buttons.h"
#include "ui/look.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormString::TFormString(QWidget* parent)
    : QDialog(parent)
    , PanelTop(new TPanel(this))
    , EditString(new QLineEdit(PanelTop))
    , ButtonOk(new QPushButton(QStringLiteral("&Ok"), this))
    , ButtonCancel(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setWindowTitle(QStringLiteral("Enter message..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* top = new QHBoxLayout(PanelTop);
    top->addWidget(EditString);

    auto* buttons = new QHBoxLayout;
    PlaceOkCancel(*this, *buttons, ButtonOk, ButtonCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PanelTop);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    EditString->setMinimumWidth(360);
}

bool TFormString::AskText(const QString& caption, QString& text)
{
    text.clear();
    // A second request while one is open cannot be shown; it counts as cancelled.
    if (isVisible())
        return false;
    setWindowTitle(caption);
    if (exec() != QDialog::Accepted)
        return false;
    text = EditString->text();
    return true;
}

void TFormString::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
    EditString->setFocus();
}
