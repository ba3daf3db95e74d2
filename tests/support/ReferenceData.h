#pragma once
#include <filesystem>

namespace vorl::test {

// Copies the shipped reference data the build produced (input/*.enc, ICAO_airports.txt) into
// `installFolder`/input, so that a start-up there finds what a real install holds.
void installReferenceData(const std::filesystem::path& installFolder);

} // namespace vorl::test
