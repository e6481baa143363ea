#pragma once
// What the benchmarks share: a farm nobody answers for, and timing in milliseconds.

#include "model/computer.h"
#include "support/people.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>
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

inline double Max(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

// Where a benchmark makes its files: the directory named on its command line, else memory
// (/dev/shm) where there is one, so the disk does not time the farm.
inline QString ScratchParent(const QStringList& arguments)
{
    if (!arguments.isEmpty())
        return arguments.first();
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

inline double Milliseconds(const std::function<void()>& run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// A node as a busy farm shows it: every fourth ready, the others rendering a piece.
inline std::unique_ptr<TComputer> MakeComputer(int index)
{
    auto computer = std::make_unique<TComputer>();
    computer->Number = index + 1;
    computer->Name = QStringLiteral("render%1").arg(index / 2);
    computer->CPU = QStringLiteral("x86");
    computer->Memory = 4096;
    computer->Processors = 2;
    computer->StateString = index % 4 ? QStringLiteral("Rendering frame 12") : QStringLiteral("Ready");
    computer->SceneString = QStringLiteral("/farm/shots/sq1/shot%1.lws").arg(index, 5, 10, QLatin1Char('0'));
    computer->Frames = QStringLiteral("12 14 1");
    computer->RenderCount = index * 3;
    return computer;
}
