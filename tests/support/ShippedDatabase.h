#pragma once
#include <filesystem>

#include "models/DbaseReader.h"

namespace vorl::test {

// The committed model database, read once per process (tests and benchmarks that need real
// types, airlines and registrations).
inline ModelDatabase& shippedDatabase(const std::filesystem::path& dbaseXml) {
    static ModelDatabase db;
    static const bool read = [&] {
        gf_readDbaseXml(dbaseXml, db);
        return true;
    }();
    (void)read;
    return db;
}

} // namespace vorl::test
