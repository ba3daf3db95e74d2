// A traffic answer's body: every record of its "data" goes through the record parser and the
// filters, as the traffic reader does with each answer.
#include "rt/RtJson.h"
#include "rt/TrafficReader.h"

namespace {

vorl::TrafficReader& lf_reader() {
    static vorl::TrafficReader* reader = [] {
        vorl::TrafficHooks hooks;
        hooks.settings = [] { return vorl::TrafficSettings{}; };
        hooks.currentAirport = [] { return std::optional<vorl::AirportRef>(vorl::AirportRef{52.3086, 4.7639, -11.0}); };
        hooks.typeIndexOf = [](std::string_view type) { return static_cast<std::uint16_t>(type.size()); };
        hooks.removeLiveAircraft = [](std::uint32_t) {};
        hooks.setStatus = [](const std::string&, bool) {};
        return new vorl::TrafficReader(vorl::RtConfig{}, std::move(hooks));
    }();
    return *reader;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    nlohmann::json answer;
    if (!vorl::gf_parseJson(std::string(reinterpret_cast<const char*>(data), size), answer)) return 0;
    if (!answer.is_object() || !answer.contains("data")) return 0;
    vorl::TrafficReader& reader = lf_reader();
    reader.setUserPosition({52.3086, 4.7639});
    reader.processLiveData(answer["data"]);
    return 0;
}
