#pragma once
// How idle this computer is, for the DorezoDizaz: each second's idle share of all processors,
// from the kernel's counters, stands for the loops an idle-priority thread would have made in
// that second; a second counts as idle when it comes close enough to the best second seen.

#include <QByteArrayView>
#include <QtGlobal>

// Idle and total time of all processors since boot, in the kernel's ticks.
struct TProcessorTimes
{
    quint64 Idle = 0;
    quint64 Total = 0;
};

// The first line of /proc/stat ("cpu" and at least four counters); false for anything else,
// and for counters whose sum does not fit.
bool ParseProcessorTimes(QByteArrayView text, TProcessorTimes& times);
// False when /proc/stat cannot be read or parsed.
bool ReadProcessorTimes(TProcessorTimes& times);

// The loops of a second in which every processor was idle.
inline constexpr int FullLoops = 1000000;
// The loops the idle share between two readings stands for, 0 to FullLoops; 0 when the
// counters did not move forward.
int IdleLoops(const TProcessorTimes& before, const TProcessorTimes& after);

// Past this many idle seconds the count starts again from 0.
inline constexpr int IdleSecondsLimit = 1000000;

struct TIdleCount
{
    // Consecutive idle seconds.
    int IdleSeconds = 0;
    // The most loops of any one second.
    int BestLoops = 1;
    // The loops of the last second.
    int LastLoops = 0;
    // Idle seconds since the start; the first two find a first best second.
    int CalibrationSeconds = 0;
};

// Ends a second that made `loops`. It is idle while calibrating, or when it made more than
// `percentage` (taken as 0 to 100) percent of the best second's loops; otherwise the idle
// seconds start again. A count past IdleSecondsLimit ends with a second of no loops.
void CountSecond(TIdleCount& count, int loops, int percentage);

// What the info window and the status bar show of the idle measure.
struct TIdleFigures
{
    int IdleSeconds = 0;
    int BestLoops = 1;
    int LastLoops = 0;
    int SaverPercentage = 0;
};

// The activity bar in a frame `width` wide: how far the last second fell short of the best.
int ActivityBarWidth(const TIdleFigures& figures, int width);
// The threshold bar: the activity below which a second still counts as idle.
int ThresholdBarWidth(const TIdleFigures& figures, int width);
