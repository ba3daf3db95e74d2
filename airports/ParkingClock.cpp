#include "airports/ParkingClock.h"

#include <array>

#include "common/TimeStamp.h"

namespace vorl {

ParkingClock ParkingClock::earlier(int back) const {
    ParkingClock clock = *this;
    clock.slot = slot - back;
    while (clock.slot < 0) {
        clock.slot += 48;
        clock.day = clock.day == 1 ? 7 : clock.day - 1;
    }
    return clock;
}

ParkingClock gf_parkingClock(std::time_t now) {
    std::tm utc{};
    if (!gf_utcCalendar(now, utc)) return {};
    ParkingClock clock;
    clock.day = utc.tm_wday == 0 ? 7 : utc.tm_wday;
    clock.hours = utc.tm_hour + utc.tm_min / 60.0 + utc.tm_sec / 3600.0;
    clock.slot = static_cast<int>(clock.hours * 2);
    return clock;
}

std::string gf_dayName(int day) {
    static constexpr std::array<const char*, 7> names{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return day >= 1 && day <= 7 ? names[static_cast<std::size_t>(day - 1)] : "???";
}

} // namespace vorl
