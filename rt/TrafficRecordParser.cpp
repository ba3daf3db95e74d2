#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string_view>

#include <fmt/format.h>

#include "common/Geodesy.h"
#include "common/Log.h"
#include "rt/HexId.h"
#include "rt/RtJson.h"
#include "rt/TrafficReader.h"

namespace vorl {

namespace {

constexpr std::array<std::string_view, 5> kNonAircraftCategories{"B1", "B2", "B4", "C1", "C2"};
constexpr std::array<std::string_view, 9> kNonAircraftTypes{"BALL", "EMER", "GLID", "GRND", "GND",
                                                            "PARA", "SERV", "SHIP", "VENT"};
constexpr std::array<std::string_view, 6> kTestCallsigns{"ERARMTR0", "ERARMTR1", "AIRPORT1",
                                                         "00000000", "TR852",    "TEST"};

template <std::size_t N> bool lf_isOneOf(std::string_view text, const std::array<std::string_view, N>& list) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

// Real answers prefix the source type with the provider ("X_adsb_icao"); interpolated ones also
// carry "ID_". Only transponder positions give a trustworthy true heading.
bool lf_isAdsbIcao(std::string_view source) {
    constexpr std::string_view kType = "adsb_icao";
    if (source == kType) return true;
    return source.size() > kType.size() && source.ends_with(kType) && source[source.size() - kType.size() - 1] == '_';
}

bool lf_onGround(double altitude, double elevation, double speed) {
    const double d = altitude - elevation;
    if (d <= 0.0) return true;
    const double ad = std::abs(d);
    return (ad <= 42.0 && speed <= 120.0) || (ad <= 84.0 && speed <= 80.0) || (ad <= 108.0 && speed <= 43.0);
}

double lf_defaultAirspeed(double altitude) {
    if (altitude <= 2000.0) return 180.0;
    if (altitude <= 5000.0) return 220.0;
    if (altitude <= 10000.0) return 250.0;
    if (altitude <= 20000.0) return 350.0;
    return 430.0;
}

void lf_setCode(IataCode& code, bool& present, std::string_view text) {
    present = !text.empty();
    if (present) code = IataCode(text);
}

} // namespace

void gf_checkLatLon(double lat, double lon) {
    if (lat < -90.0 || lat > 90.0 || lon < -180.0 || lon > 180.0 || (std::abs(lat) <= 0.0001 && std::abs(lon) <= 0.0001))
        throw std::runtime_error(fmt::format("lalo: {:.6f} {:.6f}", lat, lon));
}

bool TrafficReader::cleanCallsign(std::string& callsign, std::uint32_t hexId) {
    if (callsign.find('@') != std::string::npos) callsign.clear();
    if (lf_isOneOf(callsign, kTestCallsigns)) return false;
    const std::string& blocked = settings_.blockCallsign;
    if (blocked != announcedBlockValue_) {
        announcedBlockValue_ = blocked;
        announceBlocked_.store(true);
    }
    if (blocked.empty() || callsign != blocked) return true;
    if (announceBlocked_.exchange(false)) {
        if (hooks_.removeLiveAircraft) hooks_.removeLiveAircraft(hexId);
        const std::string text = fmt::format("Live aircraft '{}' blocked", callsign);
        if (hooks_.setStatus)
            hooks_.setStatus(text, true);
        else
            logLine(text);
    }
    return false;
}

bool TrafficReader::processLine() {
    const nlohmann::json& r = reply;
    TrafficRecord record;
    dataTime_ = gf_jsonNumber(r[10]);
    record.dataTime = static_cast<std::int64_t>(dataTime_);

    const std::string_view registration = gf_jsonText(r[9]);
    if (registration.size() > 12) return false;
    record.registration = registration;

    const std::string_view type = gf_jsonText(r[8]);
    if (type.empty() || lf_isOneOf(gf_jsonText(r[28]), kNonAircraftCategories) || lf_isOneOf(type, kNonAircraftTypes))
        return false;
    record.type = type;
    record.code.typeIndex = hooks_.typeIndexOf ? hooks_.typeIndexOf(type) : 0;

    record.lat = gf_jsonNumber(r[1]);
    record.lon = gf_jsonNumber(r[2]);
    gf_checkLatLon(record.lat, record.lon);
    const LatLon user = userPosition();
    if (gf_distanceNm(user.lat, user.lon, record.lat, record.lon) > settings_.rangeNm) return false;

    const std::optional<double> trueHeading = gf_jsonOptionalNumber(r[25]);
    if (lf_isAdsbIcao(gf_jsonText(r[17])) && trueHeading) {
        const double heading = *trueHeading;
        if (heading > 360.0) throw std::runtime_error(fmt::format("true heading: {:.2F}", heading));
        if (heading == 0.0) {
            record.trueHeading = 2.0 * kPi;
            record.headingValid = 1;
        } else if (heading > 0.0) {
            record.trueHeading = gf_degToRad(heading);
            record.headingValid = 1;
        }
    }

    record.hexId = gf_parseHexId(gf_jsonText(r[0]));
    if (record.hexId <= kLowestLiveId) return false;

    record.groundSpeed = gf_jsonNumber(r[5]);
    double altitude = gf_jsonNumber(r[4]);
    if (altitude > 0.0) altitude = std::max(0.0, (qnh.load() - 1013.25) * 27.0 + altitude);
    if (altitude > 0.0 && altitude < 14000.0) {
        double elevation = -1000.0;
        {
            std::lock_guard lock(positionMutex_);
            if (groundElevationValid_) elevation = groundElevation_;
        }
        if (lf_onGround(altitude, elevation, record.groundSpeed)) altitude = 0.0;
    }
    if (record.groundSpeed <= 35.0) altitude = 0.0;
    record.altitude = altitude;
    const std::optional<AirportRef> airport = hooks_.currentAirport ? hooks_.currentAirport() : std::nullopt;
    if (settings_.airborneOnly && !(altitude - (airport ? airport->elevationFt : 0.0) > kAirborneOnlyHeightFt)) return false;

    record.callsign = gf_jsonText(r[13]);
    if (!cleanCallsign(record.callsign, record.hexId)) return false;
    if (record.callsign.empty() && record.registration.empty()) return false;

    if (bufferedStart.load()) {
        if (!record.callsign.empty()) bufferedCallsigns.insert(record.callsign);
        bufferedHexIds.insert(record.hexId);
    }

    if (altitude == 0.0) {
        if (!airport || gf_distanceNm(airport->lat, airport->lon, record.lat, record.lon) > 5.0) return false;
    }

    record.track = gf_jsonNumber(r[3]);
    if (record.track == 0.0 && record.headingValid) record.track = gf_radToDeg(record.trueHeading);
    record.verticalRate = gf_jsonNumber(r[15]);

    lf_setCode(record.origin, record.hasOrigin, gf_jsonText(r[11]));
    lf_setCode(record.destination, record.hasDestination, gf_jsonText(r[12]));

    record.airborne = altitude > 0.0 ? 1 : 0;
    const std::optional<double> rollValue = gf_jsonOptionalNumber(r[23]);
    if (record.airborne && rollValue) {
        const double roll = *rollValue;
        if (roll != 0.0 && roll != -1.0) {
            record.bank = gf_degToRad(-roll);
            record.bankValid = 1;
        }
    }

    const double airspeed = gf_jsonOptionalNumber(r[20]).value_or(-1.0);
    record.trueAirspeed = airspeed == -1.0 ? lf_defaultAirspeed(altitude) : airspeed;

    received_.push_back(std::move(record));
    return true;
}

} // namespace vorl
