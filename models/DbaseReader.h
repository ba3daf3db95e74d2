#pragma once
#include <filesystem>

#include "models/ModelDatabase.h"

namespace vorl {

// Start-up: decrypts `inputFolder`/dbase.enc to dbase.xml, reads it into `database` and removes
// the XML. A missing or undecryptable file leaves the database empty; a structurally broken
// one throws UserErrorException.
void gf_readModelDatabase(const std::filesystem::path& inputFolder, ModelDatabase& database = gf_modelDatabase());

// Reads a decrypted dbase XML file (the file stays).
void gf_readDbaseXml(const std::filesystem::path& xmlPath, ModelDatabase& database);

} // namespace vorl
