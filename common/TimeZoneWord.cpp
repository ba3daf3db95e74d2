#include "common/TimeZoneWord.h"

#include <atomic>
#include <cstdint>

#include "common/TimeStamp.h"

namespace vorl {
namespace {
// Low half: weekday; high half: offset. One 64-bit atomic so the pair is read whole.
std::atomic<std::uint64_t> g_word{static_cast<std::uint32_t>(-1)};
} // namespace

void gf_refreshTimeZoneWord(std::time_t now) {
    std::tm utc{};
    const int weekday = gf_utcCalendar(now, utc) ? (utc.tm_wday == 0 ? 7 : utc.tm_wday) : -1;
    const auto offset = static_cast<std::uint32_t>(gf_localUtcOffsetSeconds(now));
    g_word.store((static_cast<std::uint64_t>(offset) << 32) | static_cast<std::uint32_t>(weekday));
}

TimeZoneWord gf_timeZoneWord() {
    const std::uint64_t word = g_word.load();
    return {static_cast<std::int32_t>(static_cast<std::uint32_t>(word)),
            static_cast<std::int32_t>(static_cast<std::uint32_t>(word >> 32))};
}

} // namespace vorl
