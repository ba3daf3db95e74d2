// LiveriesScanned.xml as the livery catalogue reads it at every start.
#include "common/UserErrorException.h"
#include "models/LiveryCatalogue.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        vorl::gf_readLiveriesScanned(vorl::fuzz::gf_inputFile(data, size, ".xml"));
    } catch (const vorl::UserErrorException&) {
    } catch (const std::runtime_error&) {
    }
    return 0;
}
