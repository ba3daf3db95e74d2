#pragma once
#include <array>
#include <compare>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "common/Fnv1a.h"

namespace vorl {

// A code of exactly N ASCII letters or digits, folded to upper case: ICAO (N = 4) and
// IATA (N = 3) airport codes.
template <std::size_t N> class FixedCode {
public:
    FixedCode() { chars_.fill(' '); }
    explicit FixedCode(std::string_view text) {
        if (!isValid(text))
            throw std::invalid_argument(fmt::format("'{}' FixedCode: invalid string (length/charset)", text));
        for (std::size_t i = 0; i < N; ++i) {
            const char c = text[i];
            chars_[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
    }

    static bool isValid(std::string_view text) noexcept {
        if (text.size() != N) return false;
        for (const char c : text) {
            const bool alnum = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
            if (!alnum) return false;
        }
        return true;
    }

    std::string_view view() const noexcept { return {chars_.data(), N}; }
    std::string str() const { return std::string(view()); }

    auto operator<=>(const FixedCode&) const = default;
    bool operator==(const FixedCode&) const = default;

private:
    std::array<char, N> chars_;
};

using IcaoCode = FixedCode<4>;
using IataCode = FixedCode<3>;

template <std::size_t N> struct FixedCodeHash {
    std::size_t operator()(const FixedCode<N>& code) const noexcept {
        return static_cast<std::size_t>(gf_fnv1a64(code.view()));
    }
};

} // namespace vorl

template <std::size_t N> struct fmt::formatter<vorl::FixedCode<N>> : fmt::formatter<std::string_view> {
    auto format(const vorl::FixedCode<N>& code, fmt::format_context& ctx) const {
        return fmt::formatter<std::string_view>::format(code.view(), ctx);
    }
};
