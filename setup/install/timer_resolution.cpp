// The 1 ms timer period of the extraction, through winmm loaded from the system folder.
#include "timer_resolution.h"

#include "dll_search.h"

namespace {

const UINT kPeriodMs = 1;
const UINT kNoError = 0;  // TIMERR_NOERROR

}  // namespace

CMillisecondTimer::CMillisecondTimer() : winmm(LoadSystemLibrary("winmm.dll")), endPeriod(nullptr) {
    if (!winmm) return;
    auto begin = reinterpret_cast<TimePeriodFn>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod")));
    auto end = reinterpret_cast<TimePeriodFn>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeEndPeriod")));
    // Every successful timeBeginPeriod needs its timeEndPeriod with the same
    // period: ask only when the call that gives it back is at hand.
    if (begin && end && begin(kPeriodMs) == kNoError) endPeriod = end;
}

CMillisecondTimer::~CMillisecondTimer() {
    if (endPeriod) endPeriod(kPeriodMs);
    endPeriod = nullptr;
    if (winmm) FreeLibrary(winmm);
    winmm = nullptr;
}
