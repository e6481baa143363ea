#pragma once
// What the benchmarks share: a farm nobody answers for, and timing in milliseconds.

#include "support/people.h"

#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <vector>

class TSilentPeople : public TPeople
{
public:
    bool Ask(const QString&, bool) override { return true; }
    bool AskWithCheck(const QString&, const QString&, bool, bool&) override { return true; }
    bool AskText(const QString&, QString& text) override
    {
        text.clear();
        return false;
    }
};

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double Milliseconds(const std::function<void()>& run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}
