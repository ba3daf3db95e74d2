#pragma once
#include <cstdint>

namespace vorl {

// What a live aircraft is, in the registries' small integers.
struct ModelCode {
    std::uint16_t airlineIndex = 0;
    std::uint16_t operatorIndex = 0;
    std::uint16_t typeIndex = 0;
    std::uint8_t cargo = 0; // 1 for a cargo operation
    std::uint8_t valid = 0; // 1 when taken from a registration record

    bool operator==(const ModelCode&) const = default;
};
static_assert(sizeof(ModelCode) == 8);

} // namespace vorl
