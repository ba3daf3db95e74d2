#pragma once
#include <cstdint>
#include <string_view>

namespace vorl {

// The leading hexadecimal digits of `text` as a number; 0 when there is none or when the value
// does not fit 32 bits. RealTraffic marks non-ICAO ids with a leading "~", which gives 0 here.
std::uint32_t gf_parseHexId(std::string_view text) noexcept;

// Live aircraft carry their 24-bit ICAO address; smaller ids are reserved for static aircraft.
inline constexpr std::uint32_t kLowestLiveId = 10000;

} // namespace vorl
