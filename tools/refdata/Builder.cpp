#include "tools/refdata/Builder.h"

#include <stdexcept>

namespace vorl::refdata {

void gf_buildReferenceData(const std::filesystem::path&, const std::filesystem::path&) {
    throw std::runtime_error("not yet available");
}

} // namespace vorl::refdata
