#include "models/IndexRegistry.h"

#include <mutex>

namespace vorl {

std::optional<std::uint16_t> IndexRegistry::find(std::string_view name) const {
    std::shared_lock lock(mutex_);
    const auto it = indexes_.find(name);
    if (it == indexes_.end()) return std::nullopt;
    return it->second;
}

std::uint16_t IndexRegistry::add(std::string_view name) {
    std::unique_lock lock(mutex_);
    if (const auto it = indexes_.find(name); it != indexes_.end()) return it->second;
    if (names_.size() >= kCapacity) return 0;
    const auto index = static_cast<std::uint16_t>(names_.size());
    names_.emplace_back(name);
    indexes_.emplace(names_.back(), index);
    return index;
}

std::string IndexRegistry::name(std::uint16_t index) const {
    std::shared_lock lock(mutex_);
    return index < names_.size() ? names_[index] : std::string();
}

std::size_t IndexRegistry::size() const {
    std::shared_lock lock(mutex_);
    return names_.size();
}

void IndexRegistry::close() {
    std::unique_lock lock(mutex_);
    closed_ = true;
}

bool IndexRegistry::isClosed() const {
    std::shared_lock lock(mutex_);
    return closed_;
}

} // namespace vorl
