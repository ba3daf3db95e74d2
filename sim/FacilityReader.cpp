#include "sim/FacilityReader.h"

#include <cstring>
#include <stdexcept>
#include <thread>

#include "common/Log.h"

namespace vorl {
namespace {

using namespace simconnect;

constexpr DWORD kFacilityDefinition = 1001;
constexpr DWORD kFacilityRequest = 2001;
constexpr const char* kClientName = "PARKING_DATA_RDR";

// The fields, in the order their values arrive in each record.
constexpr const char* kFields[] = {
    "OPEN AIRPORT",     "LATITUDE",          "LONGITUDE", "ALTITUDE",    "NAME",         "N_HELIPADS",
    "N_TAXI_PARKINGS",  "OPEN TAXI_PARKING", "TYPE",      "TAXI_POINT_TYPE", "NAME",     "SUFFIX",
    "NUMBER",           "ORIENTATION",       "HEADING",   "RADIUS",      "BIAS_X",       "BIAS_Z",
    "CLOSE TAXI_PARKING", "OPEN HELIPAD",    "LATITUDE",  "LONGITUDE",   "ALTITUDE",     "HEADING",
    "LENGTH",           "WIDTH",             "SURFACE",   "TYPE",        "CLOSE HELIPAD", "CLOSE AIRPORT"};

#pragma pack(push, 1)
struct AirportFields {
    double latitude, longitude, altitude;
    char name[32];
    std::int32_t helipads, parkings;
};
struct ParkingFields {
    std::int32_t type, taxiPointType, name, suffix, number, orientation;
    float heading, radius, biasX, biasZ;
};
struct HelipadFields {
    double latitude, longitude, altitude;
    float heading, length, width;
    std::int32_t surface, type;
};
#pragma pack(pop)

template <typename Fields> Fields lf_fields(const Recv* record, DWORD size) {
    if (size < kFacilityDataHeaderSize + sizeof(Fields)) throw std::runtime_error("facility record too short");
    Fields fields;
    std::memcpy(&fields, reinterpret_cast<const char*>(record) + kFacilityDataHeaderSize, sizeof(Fields));
    return fields;
}

void VORL_SIMCONNECT_CALL lf_dispatch(Recv* record, DWORD size, void* context) {
    static_cast<FacilityReader*>(context)->onRecord(record, size);
}

} // namespace

FacilityReader::FacilityReader(SimBackend& backend) : backend_(backend) {}

FacilityReader::~FacilityReader() {
    if (handle_) close();
}

bool FacilityReader::open() {
    if (handle_) return true;
    const HRESULT hr = backend_.open(&handle_, kClientName, nullptr, 0, nullptr, 0);
    if (failed(hr)) {
        logLine("SimConnect_Open ({}) FAILED hr=0x{:08X}", kClientName, static_cast<std::uint32_t>(hr));
        handle_ = nullptr;
        return false;
    }
    defined_ = false;
    return true;
}

void FacilityReader::close() {
    if (!handle_) return;
    if (failed(backend_.close(handle_))) logLine("Closing SimConnect failed?!");
    else logLine("SimConnect ({}) closed", kClientName);
    handle_ = nullptr;
    defined_ = false;
}

std::optional<FacilityAirport> FacilityReader::read(const std::string& icao, std::chrono::milliseconds timeout) {
    if (!open()) return std::nullopt;
    if (!defined_) {
        for (const char* field : kFields)
            if (failed(backend_.addToFacilityDefinition(handle_, kFacilityDefinition, field))) return std::nullopt;
        defined_ = true;
    }
    current_ = FacilityAirport{};
    complete_ = failed_ = gotAirport_ = false;
    if (failed(backend_.requestFacilityData(handle_, kFacilityDefinition, kFacilityRequest, icao.c_str(), ""))) {
        logLine("RequestFacilityData failed for {}", icao);
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!complete_ && !failed_ && std::chrono::steady_clock::now() < deadline) {
        if (failed(backend_.callDispatch(handle_, lf_dispatch, this))) break;
        if (!complete_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!complete_ || failed_) return std::nullopt;
    // The simulator answered without the airport: it has no parking data for it.
    if (!gotAirport_) return FacilityAirport{};
    return current_;
}

void FacilityReader::onRecord(const Recv* record, DWORD size) {
    try {
        switch (static_cast<RecvId>(record->dwID)) {
        case RecvId::Exception:
            failed_ = true;
            break;
        case RecvId::FacilityDataEnd:
            if (reinterpret_cast<const RecvFacilityDataEnd*>(record)->RequestId == kFacilityRequest) complete_ = true;
            break;
        case RecvId::FacilityData: {
            const auto* data = reinterpret_cast<const RecvFacilityData*>(record);
            if (data->UserRequestId != kFacilityRequest) break;
            switch (static_cast<FacilityDataType>(data->Type)) {
            case FacilityDataType::Airport: {
                const auto f = lf_fields<AirportFields>(record, size);
                current_.latitude = f.latitude;
                current_.longitude = f.longitude;
                current_.altitudeM = f.altitude;
                current_.name.assign(f.name, strnlen(f.name, sizeof(f.name)));
                gotAirport_ = true;
                break;
            }
            case FacilityDataType::TaxiParking: {
                const auto f = lf_fields<ParkingFields>(record, size);
                current_.parkings.push_back({f.type, f.name, f.suffix, f.number, f.heading, f.radius, f.biasX, f.biasZ});
                break;
            }
            case FacilityDataType::Helipad: {
                const auto f = lf_fields<HelipadFields>(record, size);
                current_.helipads.push_back(
                    {f.latitude, f.longitude, f.altitude, f.heading, f.length, f.width, f.surface, f.type});
                break;
            }
            }
            break;
        }
        default: break;
        }
    } catch (const std::exception& e) {
        logLine("{} exception: {}", "onRecvFacilityData", e.what());
        failed_ = true;
    }
}

} // namespace vorl
