#include "ui/question_box.h"

#include "ui/dialog_buttons.h"
#include "ui/look.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int BoxWidth = 420;

} // namespace

TFormQuestion::TFormQuestion(QWidget* parent)
    : QDialog(parent)
    , LabelQuestion(new QLabel(this))
    , CheckBox(new QCheckBox(this))
    , PanelBottom(new TPanel(this))
    , ButtonOk(new QPushButton(QStringLiteral("Ok"), PanelBottom))
    , ButtonCancel(new QPushButton(QStringLiteral("Cancel"), PanelBottom))
{
    setWindowTitle(QStringLiteral("I wonder..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    LabelQuestion->setAlignment(Qt::AlignCenter);
    LabelQuestion->setWordWrap(true);
    LabelQuestion->setFixedWidth(BoxWidth - 16);
    CheckBox->setFixedWidth(BoxWidth - 16);
    CheckBox->hide();

    auto* buttons = new QHBoxLayout(PanelBottom);
    PlaceOkCancel(*this, *buttons, ButtonOk, ButtonCancel);

    // The text sits in rows with margins, not centred by alignment: an aligned item is measured
    // at the box's whole width, and a text that wraps once more there lost its last line.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    for (QWidget* widget : { static_cast<QWidget*>(LabelQuestion), static_cast<QWidget*>(CheckBox) }) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(8, 0, 8, 0);
        row->addWidget(widget);
        layout->addLayout(row, widget == LabelQuestion ? 1 : 0);
    }
    layout->addWidget(PanelBottom);

    TimerClose.setInterval(60000);
    TimerClose.setSingleShot(true);
    connect(&TimerClose, &QTimer::timeout, this, &QDialog::accept);
    setFixedWidth(BoxWidth);
}

bool TFormQuestion::Ask(const QString& text, bool isQuestion)
{
    if (isVisible())
        return true;
    LabelQuestion->setText(text);
    setWindowTitle(isQuestion ? QStringLiteral("I wonder...") : QStringLiteral("Let me tell you..."));
    ButtonCancel->setVisible(isQuestion);
    FitHeight();
    return exec() == QDialog::Accepted;
}

bool TFormQuestion::AskWithCheck(
    const QString& text, const QString& checkText, bool isQuestion, bool& checked)
{
    if (isVisible())
        return true;
    CheckBox->setText(checkText);
    CheckBox->setChecked(checked);
    CheckBox->show();
    const bool answer = Ask(text, isQuestion);
    CheckBox->hide();
    checked = CheckBox->isChecked();
    return answer;
}

void TFormQuestion::FitHeight()
{
    layout()->invalidate();
    const int height = layout()->totalHeightForWidth(BoxWidth);
    setFixedHeight(height > 0 ? height : layout()->totalSizeHint().height());
}

void TFormQuestion::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
    ButtonOk->setFocus();
    TimerClose.start();
}

void TFormQuestion::hideEvent(QHideEvent* event)
{
    TimerClose.stop();
    QDialog::hideEvent(event);
}
