#pragma once
#include <bitset>
#include <string_view>

namespace vorl {

// Bit i stands for the half hour that begins i x 30 minutes after midnight UTC.
using HalfHourSet = std::bitset<48>;

// "h" sets one half hour, "a:b" the half hours a to b inclusive (0..47). Anything else is
// logged and gives the empty set.
HalfHourSet gf_hours2bitset(std::string_view text);

} // namespace vorl
