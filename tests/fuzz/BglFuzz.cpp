// A BGL scenery file: any bytes must end in stands or in a logged refusal, never in a crash.
#include "airports/BglReader.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorl::ScannedAirport airport;
    vorl::gf_readBglAirport(vorl::fuzz::gf_inputFile(data, size, ".bgl"), "EHLE", airport);
    return 0;
}
