// An aircraft.cfg of a livery package, after charset decoding.
#include <sstream>

#include "models/AircraftCfg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    vorl::gf_parseAircraftCfg(lines);
    return 0;
}
