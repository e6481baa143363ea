#pragma once
// What the fuzz targets share: a check that stops the run, and people who answer nothing.

#include "support/people.h"

#include <cstdlib>

// A broken promise is a crash the fuzzer keeps.
inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Nobody answers a fuzz target: questions are No, texts are not given.
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
