#pragma once
#include <cstdint>

// Milliseconds from an arbitrary start, never going back; wraps around at 2^32 like the
// millisecond timer the program's time stamps have always used.
class CMonotonicClock {
public:
    static std::uint32_t NowMs();
};
