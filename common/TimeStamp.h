#pragma once
#include <ctime>
#include <string>

namespace vorl {

// UTC time as "Sun Dec 06 04:09:52 2026"; "Invalid time" when it cannot be shown.
std::string gf_timeStampText(std::time_t secondsSinceEpoch);

// The UTC calendar fields of a time; false for a time the calendar cannot show.
bool gf_utcCalendar(std::time_t secondsSinceEpoch, std::tm& utc);

// How far local time is ahead of UTC at that moment, in seconds (0 when unknown).
int gf_localUtcOffsetSeconds(std::time_t secondsSinceEpoch);

// The current UTC time stamp text.
std::string gf_nowText();

} // namespace vorl
