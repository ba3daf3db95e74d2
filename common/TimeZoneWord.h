#pragma once
#include <ctime>

namespace vorl {

// The UTC weekday (Monday 1 to Sunday 7, -1 when the calendar conversion fails) and the local
// offset from UTC in seconds. The main loop refreshes both together every second; other threads
// (the static parking, which learns per weekday) read them as one value, never a weekday of one
// moment with the offset of another.
struct TimeZoneWord {
    int weekday = -1;
    int localOffsetSeconds = 0;
};

void gf_refreshTimeZoneWord(std::time_t now);
TimeZoneWord gf_timeZoneWord();

} // namespace vorl
