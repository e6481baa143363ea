#include "ui/window_people.h"

#include "ui/mail_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>

bool TWindowPeople::Ask(const QString& text, bool isQuestion)
{
    return FQuestion.Ask(text, isQuestion);
}

bool TWindowPeople::AskWithCheck(
    const QString& text, const QString& checkText, bool isQuestion, bool& checked)
{
    return FQuestion.AskWithCheck(text, checkText, isQuestion, checked);
}

bool TWindowPeople::AskText(const QString& caption, QString& text)
{
    return FString.AskText(caption, text);
}

void TWindowPeople::Refresh(TView view)
{
    if (RefreshRequested)
        RefreshRequested(view);
}

void TWindowPeople::SetStatus(TStatusPanel panel, const QString& text)
{
    if (StatusRequested)
        StatusRequested(panel, text);
}

void TWindowPeople::Busy(bool busy)
{
    if (busy) {
        if (FBusy++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (FBusy > 0) {
        if (--FBusy == 0)
            QApplication::restoreOverrideCursor();
    }
}

void TWindowPeople::Beep()
{
    QApplication::beep();
}

void TWindowPeople::SetInfoMark(bool checked)
{
    if (InfoMarkRequested)
        InfoMarkRequested(checked);
}

void TWindowPeople::ShowIdle(const TIdleFigures& figures)
{
    if (IdleShown)
        IdleShown(figures);
}

void TWindowPeople::ShowSplash()
{
    if (SplashRequested)
        SplashRequested();
}

void TWindowPeople::WatchMail(TMailTransfer& transfer)
{
    TFormMail form;
    form.Watch(transfer);
}

int TWindowPeople::MessageWidth() const
{
    return FQuestion.LabelQuestion->contentsRect().width();
}

int TWindowPeople::TextWidth(const QString& text) const
{
    return QFontMetrics(FQuestion.LabelQuestion->font()).horizontalAdvance(text);
}
