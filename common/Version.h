#pragma once
#include <compare>
#include <string>
#include <string_view>

namespace vorl {

// A major.minor.patch version; versions compare numerically, part by part.
struct VersionData {
    int major = 0;
    int minor = 0;
    int patch = 0;

    // Throws std::invalid_argument "invalid version format" for text that is not "a.b.c".
    static VersionData parse(std::string_view text);
    std::string text() const;
    auto operator<=>(const VersionData&) const = default;
};

// The running program's version.
VersionData gf_runningVersion();

} // namespace vorl
