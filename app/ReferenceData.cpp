#include "app/ReferenceData.h"

#include "airports/AirportDatabase.h"
#include "models/DbaseReader.h"

namespace vorl {

bool gf_readReferenceData(const std::filesystem::path& inputFolder) {
    // The databases are filled once and read-only afterwards (only the type and airline
    // registries keep growing), so an in-process restart keeps what the first start read.
    static bool modelsRead = false;
    if (!modelsRead) {
        gf_readModelDatabase(inputFolder);
        modelsRead = true;
    }
    return gf_readAirports(inputFolder);
}

} // namespace vorl
