#include "airports/AirportFileXml.h"

#include <cmath>
#include <set>

#include <fmt/format.h>

#include "airports/AirportFilesContext.h"
#include "common/Geodesy.h"
#include "common/Log.h"
#include "common/SafeWrite.h"
#include "common/UserErrorException.h"
#include "models/ModelDatabase.h"

namespace vorl {
namespace {

std::string lf_trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

void lf_addParameter(pugi::xml_node parameters, const char* name, const std::string& value) {
    auto node = parameters.append_child("parameter");
    node.append_attribute("name") = name;
    node.append_attribute("value") = value.c_str();
}

const char* lf_bool(bool value) {
    return value ? "true" : "false";
}

void lf_writeShape(pugi::xml_node node, const Stand& stand) {
    node.append_attribute("latitude") = fmt::format("{:.6f}", stand.latitude).c_str();
    node.append_attribute("longitude") = fmt::format("{:.6f}", stand.longitude).c_str();
    node.append_attribute("heading") = fmt::format("{:.1f}", gf_radToDeg(stand.heading)).c_str();
    node.append_attribute("radius") = fmt::format("{:.1f}", stand.radius / kMetersToNm).c_str();
    if (stand.type != 0) node.append_attribute("type") = stand.type;
    node.append_attribute("cargo") = lf_bool(stand.cargo);
    node.append_attribute("ramp") = lf_bool(stand.ramp);
    node.append_attribute("heli") = lf_bool(stand.heli);
    if (stand.manual) node.append_attribute("manual") = "true";
}

void lf_writeOptions(pugi::xml_node node, const Stand& stand) {
    ModelDatabase& db = gf_airportFilesContext().modelDatabase();
    for (const StandOption& option : stand.options) {
        const std::string callsign =
            option.callsignExtra.empty() ? option.callsign : option.callsign + ":" + option.callsignExtra;
        const std::vector<std::string> ranges = gf_bitset2hourRanges(option.hours);
        if (ranges.empty()) logLine("bit set problem: {} {} {}", option.registration, callsign, "");
        // An option seen at separate times of the day is written once per range: the file holds
        // one range an option, and dropping the others would lose what was learned.
        for (const std::string& hours : ranges) {
            auto opt = node.append_child("opt");
            opt.append_attribute("reg") = option.registration.c_str();
            opt.append_attribute("airl") = db.airlineOf(option.airline).c_str();
            opt.append_attribute("type") = db.typeOf(option.type).c_str();
            if (!option.real) opt.append_attribute("soft") = "true";
            opt.append_attribute("day") = option.day;
            opt.append_attribute("hh") = hours.c_str();
            opt.append_attribute("cs") = callsign.c_str();
            if (option.cpl) opt.append_attribute("cpl") = "true";
        }
    }
}

void lf_writeSettings(pugi::xml_node parameters, const ParkingSettings& s) {
    lf_addParameter(parameters, "RANGE", std::to_string(s.range));
    lf_addParameter(parameters, "AUTO_RANGE", lf_bool(s.autoRange));
    lf_addParameter(parameters, "INITIAL_LOAD_ONLY", lf_bool(s.initialLoadOnly));
    lf_addParameter(parameters, "PARK_SOFT", lf_bool(s.parkSoft));
    lf_addParameter(parameters, "parking_percentage", std::to_string(s.parkingPercentage));
    lf_addParameter(parameters, "MAX_FIT", std::to_string(s.maxFit));
    lf_addParameter(parameters, "WEEK", lf_bool(s.week));
    lf_addParameter(parameters, "RT_PARKTRAFFIC_ONLY", lf_bool(s.rtParkTrafficOnly));
}

} // namespace

int gf_maxFitFromHours(double hours) {
    return static_cast<int>(std::lround(2.0 * hours)) - 1;
}
bool gf_isCargoParkingType(int type) {
    return type == 5 || type == 6;
}

bool gf_parkingTypeAccepts(int type, int category) {
    switch (type) {
    case 1:
    case 2:
        return category == 0;
    case 3:
        return category == 0 || category == 1 || category == 4;
    case 4:
    case 8:
        return category == 1 || category == 2;
    case 5:
    case 6:
    case 15:
        return category == 2 || category == 3;
    case 7:
        return category == 4;
    case 9:
        return category == 2;
    case 10:
        return category == 3;
    case 11:
        return category == 0 || category == 5;
    case 12:
        return true;
    case 14:
        return category == 0 || category == 4;
    default:
        return false;
    }
}

bool gf_isRampParkingType(int type) {
    return (type >= 1 && type <= 4) || type == 14;
}

AirportHeader gf_readAirportHeader(const pugi::xml_node& root) {
    AirportHeader header;
    for (auto node : root.child("parameters").children("parameter"))
        header[node.attribute("name").as_string()] = node.attribute("value").as_string();
    return header;
}

std::vector<StandOption> gf_readStandOptions(const pugi::xml_node& parkpos, std::int32_t source) {
    ModelDatabase& db = gf_airportFilesContext().modelDatabase();
    std::vector<StandOption> options;
    for (auto opt : parkpos.children("opt")) {
        const std::string hh = opt.attribute("hh").as_string();
        const int day = opt.attribute("day").as_int(0);
        if (lf_trimmed(hh).empty() || day < 1 || day > 7) continue;
        StandOption option;
        option.hours = gf_hours2bitset(hh);
        option.day = static_cast<std::uint32_t>(day);
        option.registration = opt.attribute("reg").as_string();
        const std::string callsign = opt.attribute("cs").as_string();
        const auto colon = callsign.find(':');
        option.callsign = callsign.substr(0, colon);
        if (colon != std::string::npos) option.callsignExtra = callsign.substr(colon + 1);
        option.airline = db.airlineIndexOf(opt.attribute("airl").as_string());
        option.type = db.typeIndexOf(opt.attribute("type").as_string());
        option.real = !opt.attribute("soft").as_bool(false);
        option.cpl = opt.attribute("cpl").as_bool(false);
        option.source = source;
        option.number = static_cast<std::uint32_t>(options.size() + 1);
        options.push_back(std::move(option));
    }
    return options;
}

void gf_readStandShape(const pugi::xml_node& parkpos, Stand& stand) {
    stand.latitude = parkpos.attribute("latitude").as_double(0.0);
    stand.longitude = parkpos.attribute("longitude").as_double(0.0);
    stand.heading = gf_degToRad(parkpos.attribute("heading").as_double(0.0));
    stand.radius = parkpos.attribute("radius").as_double(0.0) * kMetersToNm;
    stand.type = static_cast<std::uint16_t>(parkpos.attribute("type").as_uint(0));
    if (stand.type == 0) {
        stand.cargo = parkpos.attribute("cargo").as_bool(false);
        stand.ramp = parkpos.attribute("ramp").as_bool(false);
    } else {
        stand.cargo = gf_isCargoParkingType(stand.type);
        stand.ramp = gf_isRampParkingType(stand.type);
    }
    stand.heli = parkpos.attribute("heli").as_bool(false);
}

std::vector<Stand> gf_readStands(const pugi::xml_node& root, std::int32_t source) {
    std::vector<Stand> stands;
    std::set<std::string, std::less<>> seen;
    int count = 0;
    for (auto parkpos : root.child("parkpositions").children("parkpos")) {
        ++count;
        const auto id = parkpos.attribute("id");
        if (!id)
            throw UserErrorException(93,
                                     fmt::format("Parking position #{} has no '{}' attribute.", count, "id"));
        const std::string name = lf_trimmed(id.as_string());
        if (name.empty())
            throw UserErrorException(93, fmt::format("Stand #{} has empty '{}' attribute.", count, "id"));
        if (!seen.insert(name).second)
            throw UserErrorException(94, fmt::format("Stand '{}' appears more than once.", name));
        Stand stand;
        stand.id = name;
        gf_readStandShape(parkpos, stand);
        if (stand.latitude == 0.0 && stand.longitude == 0.0) {
            logLine("stand {} has no valid lat/lon", name);
            continue;
        }
        stand.options = gf_readStandOptions(parkpos, source);
        stands.push_back(std::move(stand));
    }
    return stands;
}

std::string gf_bitset2hours(const HalfHourSet& hours) {
    if (hours.none()) return {};
    int first = -1, last = -1;
    for (int i = 0; i < 48; ++i) {
        if (!hours.test(static_cast<std::size_t>(i))) continue;
        if (first < 0)
            first = i;
        else if (last != i - 1)
            return {}; // a gap: the file's one range cannot hold it
        last = i;
    }
    return first == last ? std::to_string(first) : fmt::format("{}:{}", first, last);
}

std::vector<std::string> gf_bitset2hourRanges(const HalfHourSet& hours) {
    std::vector<std::string> ranges;
    for (int i = 0; i < 48; ++i) {
        if (!hours.test(static_cast<std::size_t>(i))) continue;
        int last = i;
        while (last + 1 < 48 && hours.test(static_cast<std::size_t>(last + 1)))
            ++last;
        ranges.push_back(last == i ? std::to_string(i) : fmt::format("{}:{}", i, last));
        i = last;
    }
    return ranges;
}

bool gf_writeAirportFile(const AirportState& state, const std::filesystem::path& path, AirportFileKind kind,
                         std::string* error) {
    pugi::xml_document doc;
    auto root = doc.append_child("root");
    auto parameters = root.append_child("parameters");
    const bool learned = kind == AirportFileKind::LearnedFile;
    lf_addParameter(parameters, "icao", state.icao);
    lf_addParameter(parameters, "airport_name", state.name);
    lf_addParameter(parameters, "publisher", state.publisher);
    if (state.publisher != "stock") lf_addParameter(parameters, "version", state.version);
    if (state.handmade) lf_addParameter(parameters, "handmade", "true");
    if (!learned || state.handmade)
        lf_addParameter(parameters, "altitude", std::to_string(state.elevationFeet));
    if (!learned) lf_addParameter(parameters, "num_parkpos", std::to_string(state.stands.size()));
    if (state.publisher != "stock") lf_addParameter(parameters, "Facilities", lf_bool(state.facilities));
    if (state.handmade && state.qfReal >= 0)
        lf_addParameter(parameters, "Qf_real", std::to_string(state.qfReal));
    if (state.handmade && state.qfSoft >= 0)
        lf_addParameter(parameters, "Qf_soft", std::to_string(state.qfSoft));
    if (!learned && !state.bglPath.empty()) lf_addParameter(parameters, "BGLpath", state.bglPath);
    if (!learned && !state.manufacturer.empty())
        lf_addParameter(parameters, "manufacturer", state.manufacturer);
    if (!learned && !state.creator.empty()) lf_addParameter(parameters, "creator", state.creator);
    if (state.rtTrafficWeeks > 0)
        lf_addParameter(parameters, "RT_traffic_week", std::to_string(state.rtTrafficWeeks));
    if (learned) lf_writeSettings(parameters, state.settings);

    auto positions = root.append_child("parkpositions");
    for (const Stand& stand : state.stands) {
        auto node = positions.append_child("parkpos");
        node.append_attribute("id") = stand.id.c_str();
        if (learned && stand.radiusChange) node.append_attribute("radius_change") = "true";
        if (learned && stand.cargoChange) node.append_attribute("cargo_change") = "true";
        if (!learned || stand.manual || state.handmade) {
            lf_writeShape(node, stand);
        } else {
            if (stand.radiusChange)
                node.append_attribute("radius") = fmt::format("{:.1f}", stand.radius / kMetersToNm).c_str();
            if (stand.cargoChange) node.append_attribute("cargo") = lf_bool(stand.cargo);
        }
        if (learned) lf_writeOptions(node, stand);
    }
    return gf_saveXmlAtomically(doc, path, error, "  ");
}

} // namespace vorl
