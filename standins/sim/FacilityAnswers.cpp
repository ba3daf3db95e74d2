#include "standins/sim/FacilityAnswers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <variant>

namespace vorl::standin {
namespace {

using namespace simconnect;

enum class FieldKind { Float64, Float32, Int32, String8, String32, String64 };

const std::map<std::string, std::map<std::string, FieldKind>>& lf_fieldTables() {
    static const std::map<std::string, std::map<std::string, FieldKind>> tables{
        {"AIRPORT",
         {{"LATITUDE", FieldKind::Float64}, {"LONGITUDE", FieldKind::Float64}, {"ALTITUDE", FieldKind::Float64},
          {"MAGVAR", FieldKind::Float32}, {"NAME", FieldKind::String32}, {"NAME64", FieldKind::String64},
          {"ICAO", FieldKind::String8}, {"REGION", FieldKind::String8}, {"N_RUNWAYS", FieldKind::Int32},
          {"N_HELIPADS", FieldKind::Int32}, {"N_TAXI_PARKINGS", FieldKind::Int32}, {"N_JETWAYS", FieldKind::Int32}}},
        {"TAXI_PARKING",
         {{"TYPE", FieldKind::Int32}, {"TAXI_POINT_TYPE", FieldKind::Int32}, {"NAME", FieldKind::Int32},
          {"SUFFIX", FieldKind::Int32}, {"NUMBER", FieldKind::Int32}, {"ORIENTATION", FieldKind::Int32},
          {"HEADING", FieldKind::Float32}, {"RADIUS", FieldKind::Float32}, {"BIAS_X", FieldKind::Float32},
          {"BIAS_Z", FieldKind::Float32}, {"N_AIRLINES", FieldKind::Int32}}},
        {"HELIPAD",
         {{"LATITUDE", FieldKind::Float64}, {"LONGITUDE", FieldKind::Float64}, {"ALTITUDE", FieldKind::Float64},
          {"HEADING", FieldKind::Float32}, {"LENGTH", FieldKind::Float32}, {"WIDTH", FieldKind::Float32},
          {"SURFACE", FieldKind::Int32}, {"TYPE", FieldKind::Int32}}},
    };
    return tables;
}

const std::map<std::string, std::string>& lf_children() {
    static const std::map<std::string, std::string> parents{{"TAXI_PARKING", "AIRPORT"}, {"HELIPAD", "AIRPORT"}};
    return parents;
}

using Value = std::variant<double, int, std::string>;

Value lf_airportValue(const std::string& field, const StandInAirport& a) {
    if (field == "LATITUDE") return a.lat;
    if (field == "LONGITUDE") return a.lon;
    if (field == "ALTITUDE") return a.elevationFt * 0.3048;
    if (field == "NAME" || field == "NAME64") return a.name;
    if (field == "ICAO") return a.icao;
    if (field == "N_HELIPADS") return static_cast<int>(a.helipads.size());
    if (field == "N_TAXI_PARKINGS") return static_cast<int>(a.parkings.size());
    if (field == "REGION") return std::string();
    return 0.0;
}

Value lf_parkingValue(const std::string& field, const StandInParking& p) {
    if (field == "TYPE") return p.type;
    if (field == "TAXI_POINT_TYPE") return 1;
    if (field == "NAME") return p.name;
    if (field == "SUFFIX") return p.suffix;
    if (field == "NUMBER") return p.number;
    if (field == "HEADING") return p.headingDeg;
    if (field == "RADIUS") return p.radiusM;
    if (field == "BIAS_X") return p.biasX;
    if (field == "BIAS_Z") return p.biasZ;
    return 0;
}

Value lf_helipadValue(const std::string& field, const StandInHelipad& h) {
    if (field == "LATITUDE") return h.lat;
    if (field == "LONGITUDE") return h.lon;
    if (field == "ALTITUDE") return h.altitudeM;
    if (field == "HEADING") return h.headingDeg;
    if (field == "LENGTH") return h.lengthM;
    if (field == "WIDTH") return h.widthM;
    if (field == "SURFACE") return h.surface;
    if (field == "TYPE") return h.type;
    return 0;
}

template <typename T> void lf_append(std::vector<char>& out, T value) {
    const auto* bytes = reinterpret_cast<const char*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

void lf_appendField(std::vector<char>& out, FieldKind kind, const Value& value) {
    const double number = std::holds_alternative<double>(value) ? std::get<double>(value)
                          : std::holds_alternative<int>(value)  ? std::get<int>(value)
                                                                : 0.0;
    switch (kind) {
    case FieldKind::Float64: lf_append(out, number); break;
    case FieldKind::Float32: lf_append(out, static_cast<float>(number)); break;
    case FieldKind::Int32: lf_append(out, static_cast<std::int32_t>(number)); break;
    default: {
        const std::size_t size = kind == FieldKind::String8 ? 8 : kind == FieldKind::String32 ? 32 : 64;
        std::string text = std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : std::string();
        text.resize(size - 1);
        out.insert(out.end(), text.begin(), text.end());
        out.push_back('\0');
    }
    }
}

// The fields requested for one entry, in request order.
std::map<std::string, std::vector<std::string>> lf_fieldsPerEntry(const std::vector<std::string>& fields) {
    std::map<std::string, std::vector<std::string>> perEntry;
    std::vector<std::string> open;
    for (const std::string& field : fields) {
        if (field.rfind("OPEN ", 0) == 0) open.push_back(field.substr(5));
        else if (field.rfind("CLOSE ", 0) == 0) { if (!open.empty()) open.pop_back(); }
        else if (!open.empty()) perEntry[open.back()].push_back(field);
    }
    return perEntry;
}

} // namespace

bool gf_acceptFacilityField(const std::string& field, std::vector<std::string>& open) {
    const auto& tables = lf_fieldTables();
    if (field.rfind("OPEN ", 0) == 0) {
        const std::string entry = field.substr(5);
        if (!tables.count(entry)) return false;
        const auto parent = lf_children().find(entry);
        const bool placed = parent == lf_children().end() ? open.empty() : !open.empty() && open.back() == parent->second;
        if (!placed) return false;
        open.push_back(entry);
        return true;
    }
    if (field.rfind("CLOSE ", 0) == 0) {
        if (open.empty() || open.back() != field.substr(6)) return false;
        open.pop_back();
        return true;
    }
    return !open.empty() && tables.at(open.back()).count(field) > 0;
}

std::vector<std::vector<char>> gf_facilityRecords(const std::vector<std::string>& fields, const StandInAirport& airport,
                                                  DWORD requestId, DWORD firstUniqueId, DWORD version) {
    const auto perEntry = lf_fieldsPerEntry(fields);
    std::vector<std::vector<char>> records;
    if (!perEntry.count("AIRPORT")) return records;
    const DWORD airportUniqueId = firstUniqueId;
    DWORD nextUniqueId = firstUniqueId;
    auto record = [&](FacilityDataType type, DWORD parent, DWORD index, DWORD listSize, auto valueOf) {
        RecvFacilityData head{};
        head.dwVersion = version;
        head.dwID = static_cast<DWORD>(RecvId::FacilityData);
        head.UserRequestId = requestId;
        head.UniqueRequestId = nextUniqueId++;
        head.ParentUniqueRequestId = parent;
        head.Type = static_cast<DWORD>(type);
        head.IsListItem = listSize > 0 ? 1 : 0;
        head.ItemIndex = index;
        head.ListSize = listSize;
        std::vector<char> out(reinterpret_cast<const char*>(&head), reinterpret_cast<const char*>(&head) + kFacilityDataHeaderSize);
        const std::string entry = type == FacilityDataType::Airport ? "AIRPORT"
                                  : type == FacilityDataType::Helipad ? "HELIPAD"
                                                                      : "TAXI_PARKING";
        const auto& table = lf_fieldTables().at(entry);
        for (const std::string& field : perEntry.at(entry)) lf_appendField(out, table.at(field), valueOf(field));
        out.resize(std::max<std::size_t>(out.size(), sizeof(RecvFacilityData)));
        auto* sized = reinterpret_cast<RecvFacilityData*>(out.data());
        sized->dwSize = static_cast<DWORD>(out.size());
        records.push_back(std::move(out));
    };
    record(FacilityDataType::Airport, 0, 0, 0, [&](const std::string& f) { return lf_airportValue(f, airport); });
    if (perEntry.count("TAXI_PARKING"))
        for (std::size_t i = 0; i < airport.parkings.size(); ++i)
            record(FacilityDataType::TaxiParking, airportUniqueId, static_cast<DWORD>(i),
                   static_cast<DWORD>(airport.parkings.size()),
                   [&](const std::string& f) { return lf_parkingValue(f, airport.parkings[i]); });
    if (perEntry.count("HELIPAD"))
        for (std::size_t i = 0; i < airport.helipads.size(); ++i)
            record(FacilityDataType::Helipad, airportUniqueId, static_cast<DWORD>(i),
                   static_cast<DWORD>(airport.helipads.size()),
                   [&](const std::string& f) { return lf_helipadValue(f, airport.helipads[i]); });
    return records;
}

} // namespace vorl::standin
