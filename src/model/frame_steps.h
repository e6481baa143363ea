#pragma once
// Walking frames in steps that may run downwards. Frame arithmetic runs in 64 bits: ranges may
// end near the 32-bit limit and pieces may be that long, and neither may wrap.

#include <QtGlobal>

// Whether frame `a` comes after frame `b` on a range running in the direction of `step`.
inline bool FrameAfter(qint64 a, qint64 b, qint64 step)
{
    return step > 0 ? a > b : a < b;
}

// Visits first, first + step, ... up to and including last; a step of 0 counts as 1.
template <typename Visit> void ForEachFrame(qint64 first, qint64 last, qint64 step, Visit visit)
{
    if (step == 0)
        step = 1;
    for (qint64 frame = first; !FrameAfter(frame, last, step); frame += step)
        visit(frame);
}
