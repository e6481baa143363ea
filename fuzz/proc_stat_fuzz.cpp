// Any bytes as the kernel's processor counters: read or refused, and what is read always
// makes a second of 0 to FullLoops loops that keeps the idle counters in bounds.
#include "support/processor_idle.h"
#include "fuzz_tools.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TProcessorTimes times;
    if (!ParseProcessorTimes(text, times))
        return 0;
    Check(times.Idle <= times.Total);
    const TProcessorTimes zero;
    for (const int loops : { IdleLoops(zero, times), IdleLoops(times, zero), IdleLoops(times, times) }) {
        Check(loops >= 0 && loops <= FullLoops);
        TIdleCount count { IdleSecondsLimit, FullLoops, 0, 2 };
        CountSecond(count, loops, static_cast<int>(times.Total % 301) - 100);
        Check(count.IdleSeconds >= 0 && count.IdleSeconds <= IdleSecondsLimit + 1);
        Check(count.BestLoops >= 1 && count.BestLoops <= FullLoops);
    }
    return 0;
}
