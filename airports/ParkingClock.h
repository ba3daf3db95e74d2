#pragma once
#include <ctime>
#include <string>

namespace vorl {

// The plan's clock: UTC weekday 1 (Monday) to 7 (Sunday) and half-hour slot 0 to 47.
struct ParkingClock {
    int day = 1;
    int slot = 0;
    double hours = 0.0; // decimal UTC hours, for the log

    // The slot `back` half-hours earlier, on the day it falls on.
    ParkingClock earlier(int back) const;
};

ParkingClock gf_parkingClock(std::time_t now);

// "Mon" .. "Sun", "???" outside 1 to 7.
std::string gf_dayName(int day);

} // namespace vorl
