// Millisecond timer resolution for the extraction. With the system's default
// timer a Sleep(1) lasts a whole timer tick (up to about 15.6 ms), which would
// turn the 1 ms pause after each file into 15 s for 1,000 files; asking the
// multimedia timer for a 1 ms period makes it last about 1 ms.
#pragma once

#include <windows.h>

// Asks for a 1 ms timer period for its lifetime and gives it back when it
// goes (the period is a system-wide request, so it must not outlive the work
// that needs it). winmm.dll is loaded by full path from the system folder, as
// every library this program loads by name; without it, or if the system
// refuses the period, the pause just lasts longer.
class CMillisecondTimer {
public:
    CMillisecondTimer();
    ~CMillisecondTimer();
    CMillisecondTimer(const CMillisecondTimer&) = delete;
    CMillisecondTimer& operator=(const CMillisecondTimer&) = delete;

    // 1 while the 1 ms period is in force.
    int Active() const { return endPeriod != nullptr; }

private:
    typedef UINT(WINAPI* TimePeriodFn)(UINT);
    HMODULE winmm;
    // timeEndPeriod, set only once timeBeginPeriod(1) succeeded.
    TimePeriodFn endPeriod;
};
