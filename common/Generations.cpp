#include "common/Generations.h"

#include <optional>
#include <string>
#include <system_error>

#include "common/Log.h"
#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

// The sibling name with `zeros` inserted before the last dot of the file name; a dot in a
// folder name does not count, so "logs.d/Log" has none.
std::optional<fs::path> lf_generationName(const fs::path& path, const std::string& zeros) {
    const std::string name = path.filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || name == "." || name == "..") return std::nullopt;
    return path.parent_path() / (name.substr(0, dot) + zeros + name.substr(dot));
}

// Copies source over target when the source exists; false only on a real failure.
bool lf_copyIfExists(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    const bool exists = fs::exists(source, ec);
    if (ec) {
        logImportant("exists({}): {}", source.string(), ec.message());
        return false;
    }
    if (!exists) return true;
    gf_copyFileReplacing(source, target, ec);
    if (ec) {
        logImportant("copy {} -> {} failed: {}", source.string(), target.string(), ec.message());
        return false;
    }
    return true;
}

} // namespace

bool gf_save1GenerationOf(const fs::path& path) {
    const auto first = lf_generationName(path, "0");
    if (!first) {
        logImportant("gf_save1GenerationOf: no dot in filename: {}", path.string());
        return false;
    }
    return lf_copyIfExists(path, *first);
}

void gf_saveUpto3GenerationsOf(const fs::path& path) {
    const auto p1 = lf_generationName(path, "0");
    if (!p1) {
        logImportant("gf_saveUpto3GenerationsOf: no dot in filename: {}", path.string());
        return;
    }
    const auto p2 = lf_generationName(path, "00");
    const auto p3 = lf_generationName(path, "000");
    lf_copyIfExists(*p2, *p3);
    lf_copyIfExists(*p1, *p2);
    lf_copyIfExists(path, *p1);
}

} // namespace vorl
