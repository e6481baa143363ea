#pragma once
// Where the farm asks for "now": the system clock at work, a clock the tests set by hand.

#include "support/date_time.h"

class TClock
{
public:
    virtual ~TClock() = default;
    virtual TDateTime Now() const { return NowDateTime(); }
};

// The system clock, for lists made outside a farm (a test's, a tool's).
inline const TClock& SystemClock()
{
    static const TClock clock;
    return clock;
}

// A clock that stands still until a test moves it.
class TManualClock : public TClock
{
public:
    TDateTime Now() const override { return Moment; }
    void AdvanceSeconds(double seconds) { Moment += seconds / 86400.0; }

    TDateTime Moment = 46000.5;
};
