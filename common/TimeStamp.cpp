#include "common/TimeStamp.h"

#include <array>

#include <fmt/format.h>

namespace vorl {

bool gf_utcCalendar(std::time_t secondsSinceEpoch, std::tm& utc) {
    if (secondsSinceEpoch < 0) return false;
#ifdef _WIN32
    if (gmtime_s(&utc, &secondsSinceEpoch) != 0) return false;
#else
    if (gmtime_r(&secondsSinceEpoch, &utc) == nullptr) return false;
#endif
    return utc.tm_wday >= 0 && utc.tm_wday <= 6;
}

int gf_localUtcOffsetSeconds(std::time_t secondsSinceEpoch) {
    std::tm utc{};
    if (!gf_utcCalendar(secondsSinceEpoch, utc)) return 0;
    utc.tm_isdst = -1;
    // mktime reads the UTC calendar as local time; the difference is the local offset.
    const std::time_t asLocal = std::mktime(&utc);
    return asLocal == static_cast<std::time_t>(-1) ? 0 : static_cast<int>(secondsSinceEpoch - asLocal);
}

std::string gf_timeStampText(std::time_t secondsSinceEpoch) {
    static constexpr std::array<const char*, 7> weekdays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Okt", "Nov", "Dec"};
    std::tm utc{};
    if (!gf_utcCalendar(secondsSinceEpoch, utc)) return "Invalid time";
    const char* month = (utc.tm_mon >= 0 && utc.tm_mon < 12) ? months[utc.tm_mon] : "???";
    return fmt::format("{:3} {:3} {:02} {:02}:{:02}:{:02} {:4}", weekdays[utc.tm_wday], month, utc.tm_mday,
                       utc.tm_hour, utc.tm_min, utc.tm_sec, utc.tm_year + 1900);
}

std::string gf_nowText() { return gf_timeStampText(std::time(nullptr)); }

} // namespace vorl
