#pragma once
#include <cstdint>
#include <string_view>

namespace vorl {

// 64-bit FNV-1a over the bytes: the hash of the program's own hash tables.
constexpr std::uint64_t gf_fnv1a64(std::string_view bytes) noexcept {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// Hasher for unordered containers keyed by strings.
struct Fnv1aHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept { return static_cast<std::size_t>(gf_fnv1a64(key)); }
};

} // namespace vorl
