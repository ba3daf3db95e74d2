#pragma once
#include <filesystem>

namespace vorl {

// Copies `path` to the name with "0" before its last dot (parameters.xml -> parameters0.xml).
// True when the copy was made or there was nothing to copy.
bool gf_save1GenerationOf(const std::filesystem::path& path);

// Keeps three older generations: "0", "00" and "000" before the last dot, oldest dropped.
void gf_saveUpto3GenerationsOf(const std::filesystem::path& path);

} // namespace vorl
