// Seam: the millisecond tick counter and sleeping.
#pragma once

#include "platform/wintypes.h"

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // GetTickCount: milliseconds since start, wrapping at 32 bits.
    virtual DWORD TickCount() = 0;
    // Sleep for the given milliseconds.
    virtual void Sleep(DWORD milliseconds) = 0;
};

}  // namespace platform
