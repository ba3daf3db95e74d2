#pragma once
#include <filesystem>

namespace vorl {

// Start-up: decrypts and reads the model database (dbase.enc) and the airport database
// (airports.enc) of `inputFolder`, once per process; the decrypted XML files are removed after
// reading. Returns whether airports are known. Structural faults of the files throw
// UserErrorException.
bool gf_readReferenceData(const std::filesystem::path& inputFolder);

} // namespace vorl
