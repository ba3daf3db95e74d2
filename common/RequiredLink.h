#pragma once
#include <stdexcept>
#include <string_view>

#include <fmt/format.h>

namespace vorl {

// A wiring object's member that nobody connected stops start-up with its name, instead of
// quietly doing nothing for the rest of the run.
template <class Link> void gf_requireLink(const Link& link, std::string_view owner, std::string_view name) {
    if (!link) throw std::logic_error(fmt::format("{}: the link '{}' is not connected", owner, name));
}

} // namespace vorl
