#pragma once
// A stand-in for the people at the computer: answers from a script, remembers what was asked.

#include "support/people.h"

#include <QStringList>
#include <functional>

class TScriptedPeople : public TPeople
{
public:
    bool Ask(const QString& text, bool isQuestion) override
    {
        Asked << text;
        // A message box runs the event loop: timers fire while it is open.
        if (WhileAsking)
            WhileAsking();
        return isQuestion ? Answer : true;
    }
    bool AskWithCheck(const QString& text, const QString&, bool isQuestion, bool& checked) override
    {
        checked = CheckAnswer;
        return Ask(text, isQuestion);
    }
    void Refresh(TView view) override { Refreshed << view; }
    bool AskText(const QString& caption, QString& text) override
    {
        Asked << caption;
        text = TextAnswer;
        return !text.isEmpty();
    }

    bool Answer = true;
    bool CheckAnswer = false;
    QString TextAnswer;
    QStringList Asked;
    QList<TView> Refreshed;
    std::function<void()> WhileAsking;
};
