#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/Fnv1a.h"

namespace vorl {

// Strings (type designators, airline codes) numbered in the order they were first seen.
// Only ever grows; an index once given never changes. Safe for appends from one thread
// while others look up.
class IndexRegistry {
public:
    static constexpr std::size_t kCapacity = 65536;

    std::optional<std::uint16_t> find(std::string_view name) const;
    // The index of `name`, appended when new. When the registry is full it answers 0.
    std::uint16_t add(std::string_view name);
    // The string of an index; empty for an index never given.
    std::string name(std::uint16_t index) const;
    std::size_t size() const;

    // Marks the end of the known strings: later ones come from live data.
    void close();
    bool isClosed() const;

private:
    mutable std::shared_mutex mutex_;
    std::deque<std::string> names_;
    std::unordered_map<std::string, std::uint16_t, Fnv1aHash, std::equal_to<>> indexes_;
    bool closed_ = false;
};

} // namespace vorl
