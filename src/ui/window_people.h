#pragma once
// The windows' way of talking to the people at the computer: the question and text boxes, the
// status bar, the hourglass, the idle measure and the splash.

#include "support/people.h"
#include "ui/question_box.h"
#include "ui/string_box.h"

#include <functional>

class TWindowPeople : public TPeople
{
public:
    bool Ask(const QString& text, bool isQuestion) override;
    bool AskWithCheck(const QString& text, const QString& checkText, bool isQuestion, bool& checked) override;
    bool AskText(const QString& caption, QString& text) override;

    // The main window gathers these and repaints once; nothing is painted here.
    void Refresh(TView view) override;
    void SetStatus(TStatusPanel panel, const QString& text) override;
    // Nests: the cursor comes back with the last Busy(false).
    void Busy(bool busy) override;
    void Beep() override;
    void SetInfoMark(bool checked) override;
    void ShowIdle(const TIdleFigures& figures) override;
    void ShowSplash() override;
    void CloseOnMastersOrder() override
    {
        if (CloseOrdered)
            CloseOrdered();
    }
    void ApplyColours() override
    {
        if (ColoursChanged)
            ColoursChanged();
    }
    // The "Communication" window, a new one each time: a report may fall due while a test mail
    // is on its way.
    void WatchMail(TMailTransfer& transfer) override;

    int MessageWidth() const override;
    int TextWidth(const QString& text) const override;

    TFormQuestion& Question() { return FQuestion; }
    TFormString& StringBox() { return FString; }

    std::function<void(TView)> RefreshRequested;
    std::function<void(TStatusPanel, const QString&)> StatusRequested;
    std::function<void(bool)> InfoMarkRequested;
    std::function<void(const TIdleFigures&)> IdleShown;
    std::function<void()> SplashRequested;
    std::function<void()> CloseOrdered;
    std::function<void()> ColoursChanged;

private:
    TFormQuestion FQuestion;
    TFormString FString;
    int FBusy = 0;
};
