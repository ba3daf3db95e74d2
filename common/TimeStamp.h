#pragma once
#include <ctime>
#include <string>

namespace vorl {

// UTC time as "Sun Dec 06 04:09:52 2026"; "Invalid time" when it cannot be shown.
std::string gf_timeStampText(std::time_t secondsSinceEpoch);

// The current UTC time stamp text.
std::string gf_nowText();

} // namespace vorl
