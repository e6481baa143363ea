#include "farm/saver_thread.h"

#include <chrono>

TSaverThread::TSaverThread(TIdleCounters& counters, TSampler sampler)
    : FCounters(counters)
    , FSampler(std::move(sampler))
{ }

TSaverThread::~TSaverThread()
{
    Stop();
}

void TSaverThread::Start()
{
    if (Running())
        return;
    FStopping = false;
    FCount = TIdleCount();
    FCounters.BestLoops = FCount.BestLoops;
    // No second went before: the first ends at once, with no loops.
    EndSecond(0);
    FThread = std::thread(&TSaverThread::Run, this);
}

void TSaverThread::Stop()
{
    if (!Running())
        return;
    {
        const std::lock_guard lock(FMutex);
        FStopping = true;
    }
    FWake.notify_all();
    FThread.join();
}

void TSaverThread::Run()
{
    using namespace std::chrono_literals;
    TProcessorTimes before;
    bool known = FSampler(before);
    auto next = std::chrono::steady_clock::now();
    std::unique_lock lock(FMutex);
    for (;;) {
        next += 1s;
        // After a suspend the missed seconds are not sampled one after the other.
        if (const auto now = std::chrono::steady_clock::now(); next < now)
            next = now + 1s;
        if (FWake.wait_until(lock, next, [this] { return FStopping; }))
            return;
        TProcessorTimes after;
        const bool read = FSampler(after);
        // Without a reading the second proves nothing idle.
        EndSecond(known && read ? IdleLoops(before, after) : 0);
        before = after;
        known = read;
    }
}

void TSaverThread::EndSecond(int loops)
{
    const int percentage = FCounters.Percentage;
    int seen = FCounters.IdleSeconds;
    TIdleCount next;
    // The tick may reset the idle seconds meanwhile; its reset is never overwritten.
    do {
        next = FCount;
        next.IdleSeconds = seen;
        CountSecond(next, loops, percentage);
    } while (!FCounters.IdleSeconds.compare_exchange_weak(seen, next.IdleSeconds));
    FCount = next;
    FCounters.LastLoops = FCount.LastLoops;
    FCounters.BestLoops = FCount.BestLoops;
}
