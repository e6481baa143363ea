#pragma once
// Nobody answers a fuzz target: questions are No, texts are not given.

#include "support/people.h"

class TSilentPeople : public TPeople
{
public:
    bool Ask(const QString&, bool) override { return false; }
    bool AskWithCheck(const QString&, const QString&, bool, bool&) override { return false; }
    bool AskText(const QString&, QString& text) override
    {
        text.clear();
        return false;
    }
};
