#pragma once
// The DorezoDizaz's idle thread: once a second it asks the kernel how idle the processors were
// and counts that second into the counters the housekeeping tick shows and resets. It sleeps
// in between; a thread that spun to measure would keep an idle computer's processor busy.

#include "support/processor_idle.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Shared between the idle thread and the housekeeping tick. The tick hands SaverPercentage
// over in Percentage, so the thread never reads the options.
struct TIdleCounters
{
    std::atomic<int> IdleSeconds { 0 };
    std::atomic<int> BestLoops { 1 };
    std::atomic<int> LastLoops { 0 };
    std::atomic<int> Percentage { 0 };
};

class TSaverThread
{
public:
    using TSampler = std::function<bool(TProcessorTimes&)>;

    explicit TSaverThread(TIdleCounters& counters, TSampler sampler = ReadProcessorTimes);
    ~TSaverThread();
    TSaverThread(const TSaverThread&) = delete;
    TSaverThread& operator=(const TSaverThread&) = delete;

    // The start ends a first second at once, which counts as idle; then one a second. Nothing
    // when it runs already.
    void Start();
    // Returns once the thread has ended, without waiting for its second to be over.
    void Stop();
    bool Running() const { return FThread.joinable(); }

private:
    void Run();
    void EndSecond(int loops);

    TIdleCounters& FCounters;
    TSampler FSampler;
    // The thread's own; the tick's reset of the idle seconds reaches it through FCounters.
    TIdleCount FCount;
    std::thread FThread;
    std::mutex FMutex;
    std::condition_variable FWake;
    bool FStopping = false;
};
