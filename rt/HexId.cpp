#include "rt/HexId.h"

namespace vorl {

std::uint32_t gf_parseHexId(std::string_view text) noexcept {
    std::uint64_t value = 0;
    bool anyDigit = false;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        anyDigit = true;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xffffffffULL) return 0;
    }
    return anyDigit ? static_cast<std::uint32_t>(value) : 0;
}

} // namespace vorl
