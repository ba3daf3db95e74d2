// A weather answer's "data" member, from which the QNH is taken.
#include "rt/RtJson.h"
#include "rt/WeatherReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    nlohmann::json answer;
    if (!vorl::gf_parseJson(std::string(reinterpret_cast<const char*>(data), size), answer)) return 0;
    if (answer.is_object() && answer.contains("data")) vorl::extractQNH(answer["data"]);
    return 0;
}
