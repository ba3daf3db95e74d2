#include "standins/sim/SimStandIn.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string_view>

#include <pugixml.hpp>

#include "common/Folders.h"
#include "common/Geodesy.h"
#include "common/SafeWrite.h"
#include "common/TimeStamp.h"
#include "standins/sim/InstalledTitles.h"
#include "standins/sim/SimVariables.h"

namespace vorl::standin {
namespace {

using namespace simconnect;
using nlohmann::json;

constexpr double kAirportGroundNm = 15.0;
constexpr double kStaticCgToGroundFt = 8.5;
constexpr double kStaticPitchRad = 0.02;
constexpr double kStandardAtmRankine = 518.67;
constexpr std::size_t kTrackPoints = 60;
constexpr DWORD kMaxRadiusMeters = 200000;

std::size_t lf_datumSize(DataType type) {
    switch (type) {
    case DataType::Int32:
    case DataType::Float32: return 4;
    case DataType::Int64:
    case DataType::Float64:
    case DataType::String8: return 8;
    case DataType::String32: return 32;
    case DataType::String64: return 64;
    case DataType::String128: return 128;
    case DataType::String256: return 256;
    case DataType::String260: return 260;
    case DataType::InitPosition: return 56;
    default: return 0; // variable or invalid
    }
}

void lf_copyText(char* target, std::size_t capacity, const std::string& text) {
    std::memset(target, 0, capacity);
    std::memcpy(target, text.data(), std::min(text.size(), capacity - 1));
}

struct FlightPlanAirports {
    std::string departure, destination;
};

std::string lf_trimmed(const char* text) {
    std::string value = text;
    const auto first = value.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return value.substr(first, value.find_last_not_of(" \t\r\n") - first + 1);
}

// A flight plan as the simulator loads it: an AceXML document whose SimBase.Document holds a
// FlightPlan.FlightPlan; a plan type, when given, is IFR or VFR. Anything else is refused.
std::optional<FlightPlanAirports> lf_readFlightPlan(const std::string& path) {
    pugi::xml_document document;
    if (!document.load_file(path.c_str())) return std::nullopt;
    const pugi::xml_node root = document.document_element();
    if (std::string_view(root.name()) != "SimBase.Document") return std::nullopt;
    const pugi::xml_node plan = root.child("FlightPlan.FlightPlan");
    if (!plan) return std::nullopt;
    if (const pugi::xml_node type = plan.child("FPType")) {
        const std::string value = lf_trimmed(type.child_value());
        if (value != "IFR" && value != "VFR") return std::nullopt;
    }
    return FlightPlanAirports{lf_trimmed(plan.child_value("DepartureID")),
                              lf_trimmed(plan.child_value("DestinationID"))};
}

SimObjectType lf_objectType(const std::string& category) {
    return category == "Helicopter" ? SimObjectType::Helicopter : SimObjectType::Aircraft;
}

void lf_pushTrack(std::deque<TrackPoint>& track, double lat, double lon) {
    track.push_back({lat, lon});
    while (track.size() > kTrackPoints) track.pop_front();
}

} // namespace

SimStandIn::SimStandIn(SimStandInConfig config)
    : config_(std::move(config)), trace_(config_.tracePath, config_.keepTraceInMemory),
      startedAt_(std::chrono::steady_clock::now()) {
    for (const std::string& title : config_.liveryTitles) titles_.emplace(title, "Airplane");
    for (const std::string& title : config_.helicopterTitles) titles_.emplace(title, "Helicopter");
    if (config_.communityFolder)
        for (InstalledAircraft& aircraft : gf_readInstalledAircraft(*config_.communityFolder))
            titles_.emplace(std::move(aircraft.title), std::move(aircraft.category));
    startEpoch_ = config_.startEpoch ? *config_.startEpoch : static_cast<std::int64_t>(std::time(nullptr));
    // The wall clock at trace time 0, so that a trace can be lined up with other recordings.
    trace({{"event", "Start"},
           {"epoch", std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count()}});
}

SimStandIn::~SimStandIn() {
    try {
        writeMap();
    } catch (...) {
        // The map is a convenience; a failure to write it must not end the program.
    }
}

// ---------------------------------------------------------------- plumbing

bool SimStandIn::beginCall(HANDLE handle, const char* function) {
    if (!open_ || handle != this) return false;
    ++lastSendId_;
    if (failing_.count(function)) {
        trace({{"call", function}, {"sendId", lastSendId_}, {"result", "forced failure"}});
        return false;
    }
    return true;
}

void SimStandIn::trace(json entry) {
    if (!trace_.enabled()) return;
    entry["t"] = std::round(nowMs_);
    trace_.add(std::move(entry));
}

void SimStandIn::queue(const void* bytes, std::size_t size) {
    const auto* begin = static_cast<const char*>(bytes);
    queue_.emplace_back(begin, begin + size);
}

template <typename Record> std::vector<char> SimStandIn::recordBytes(Record& record, RecvId id) const {
    record.dwSize = sizeof(Record);
    record.dwVersion = config_.version == SimulatorVersion::Msfs2020 ? 5 : 6;
    record.dwID = static_cast<DWORD>(id);
    const auto* bytes = reinterpret_cast<const char*>(&record);
    return {bytes, bytes + sizeof(Record)};
}

template <typename Record> void SimStandIn::queueRecord(Record& record, RecvId id) {
    queue_.push_back(recordBytes(record, id));
}

void SimStandIn::queueException(ExceptionId exception, DWORD sendId, DWORD index) {
    RecvException record{};
    record.dwException = static_cast<DWORD>(exception);
    record.dwSendID = sendId;
    record.dwIndex = index;
    queueRecord(record, RecvId::Exception);
    trace({{"exception", static_cast<DWORD>(exception)}, {"sendId", sendId}, {"index", index}});
}

void SimStandIn::queueSystemEvent(const std::string& name, DWORD data) {
    const auto found = systemEvents_.find(gf_upperAscii(name));
    if (found == systemEvents_.end()) return;
    RecvEvent record{};
    record.uGroupID = kUnknownGroup;
    record.uEventID = found->second;
    record.dwData = data;
    queueRecord(record, RecvId::Event);
    if (name != "Frame") trace({{"event", name}, {"data", data}});
}

void SimStandIn::queueObjectEvent(const std::string& name, const StandInObject& object) {
    const auto found = systemEvents_.find(gf_upperAscii(name));
    if (found == systemEvents_.end()) return;
    RecvEventObjectAddRemove record{};
    record.uGroupID = kUnknownGroup;
    record.uEventID = found->second;
    record.dwData = object.id;
    // The simulator tells helicopters from aeroplanes by the category of their aircraft.cfg.
    record.eObjType = static_cast<DWORD>(lf_objectType(object.category));
    queueRecord(record, RecvId::EventObjectAddRemove);
}

void SimStandIn::queueData(RecvId id, DWORD requestId, DWORD defineId, std::uint32_t objectId, DWORD entry,
                           DWORD outOf) {
    const std::vector<char> block = dataBlock(defineId, objectId);
    std::vector<char> message(kSimObjectDataHeaderSize + std::max<std::size_t>(block.size(), 4), '\0');
    RecvSimObjectData header{};
    header.dwSize = static_cast<DWORD>(message.size());
    header.dwVersion = config_.version == SimulatorVersion::Msfs2020 ? 5 : 6;
    header.dwID = static_cast<DWORD>(id);
    header.dwRequestID = requestId;
    header.dwObjectID = objectId;
    header.dwDefineID = defineId;
    header.dwentrynumber = entry;
    header.dwoutof = outOf;
    header.dwDefineCount = static_cast<DWORD>(definitions_[defineId].size());
    std::memcpy(message.data(), &header, kSimObjectDataHeaderSize);
    std::memcpy(message.data() + kSimObjectDataHeaderSize, block.data(), block.size());
    queue_.push_back(std::move(message));
}

std::vector<char> SimStandIn::dataBlock(DWORD defineId, std::uint32_t objectId) const {
    std::vector<char> block;
    const auto found = definitions_.find(defineId);
    if (found == definitions_.end()) return block;
    for (const Datum& datum : found->second) {
        const std::size_t offset = block.size();
        switch (datum.type) {
        case DataType::Float64: {
            const double value = numericValue(datum.name, datum.units, objectId);
            block.resize(offset + 8);
            std::memcpy(block.data() + offset, &value, 8);
            break;
        }
        case DataType::Float32: {
            const auto value = static_cast<float>(numericValue(datum.name, datum.units, objectId));
            block.resize(offset + 4);
            std::memcpy(block.data() + offset, &value, 4);
            break;
        }
        case DataType::Int64: {
            const auto value = static_cast<std::int64_t>(std::llround(numericValue(datum.name, datum.units, objectId)));
            block.resize(offset + 8);
            std::memcpy(block.data() + offset, &value, 8);
            break;
        }
        case DataType::Int32: {
            const auto value = static_cast<std::int32_t>(std::lround(numericValue(datum.name, datum.units, objectId)));
            block.resize(offset + 4);
            std::memcpy(block.data() + offset, &value, 4);
            break;
        }
        case DataType::StringV: {
            // The terminator, then zero padding to a multiple of four.
            const std::string text = textValue(datum.name, objectId);
            block.resize(offset + (text.size() + 1 + 3) / 4 * 4, '\0');
            std::memcpy(block.data() + offset, text.data(), text.size());
            break;
        }
        default: {
            const std::size_t size = lf_datumSize(datum.type);
            block.resize(offset + size, '\0');
            if (size > 0) lf_copyText(block.data() + offset, size, textValue(datum.name, objectId));
        }
        }
    }
    return block;
}

UserPose SimStandIn::userPose() const { return config_.user.poseAt((nowMs_ - scriptStartMs_) / 1000.0); }

double SimStandIn::groundAltitudeFt(double lat, double lon) const {
    double best = kAirportGroundNm;
    double elevation = 0.0;
    for (const StandInAirport& airport : config_.airports) {
        const double d = gf_distanceNm(lat, lon, airport.lat, airport.lon);
        if (d < best) {
            best = d;
            elevation = airport.elevationFt;
        }
    }
    return elevation;
}

std::int64_t SimStandIn::utcNow() const { return startEpoch_ + static_cast<std::int64_t>(nowMs_ / 1000.0); }

double SimStandIn::numericValue(const std::string& name, const std::string& units, std::uint32_t objectId) const {
    const bool degrees = gf_upperAscii(units).rfind("DEGREE", 0) == 0;
    const auto angle = [&](double radians) { return degrees ? gf_radToDeg(radians) : radians; };
    const std::time_t now = static_cast<std::time_t>(utcNow());
    std::tm utc{};
    gf_utcCalendar(now, utc);

    double lat = 0, lon = 0, altitude = 0, pitch = 0, bank = 0, heading = 0, vs = 0, tas = 0, gs = 0;
    bool forcedGround = false;
    std::map<std::string, std::uint32_t> events;
    if (objectId == kUserObjectId || objectId == kObjectIdUser) {
        const UserPose pose = userPose();
        lat = pose.lat;
        lon = pose.lon;
        altitude = pose.onGround ? groundAltitudeFt(lat, lon) : pose.altitudeFt;
        pitch = -gf_degToRad(pose.pitchDeg);
        heading = gf_degToRad(pose.headingDeg);
        vs = pose.verticalSpeedFtMin / 60.0;
        gs = tas = pose.groundSpeedKt;
        forcedGround = pose.onGround;
    } else if (const auto found = objects_.find(objectId); found != objects_.end()) {
        const StandInObject& o = found->second;
        lat = o.lat;
        lon = o.lon;
        altitude = o.altitudeFt;
        pitch = o.pitch;
        bank = o.bank;
        heading = o.heading;
        vs = o.verticalSpeed;
        gs = tas = o.trueAirspeed;
        events = o.lastEvents;
    }
    const double ground = groundAltitudeFt(lat, lon);
    const double aboveGround = std::max(0.0, altitude - ground);
    // An aircraft's altitude is that of its reference point, which stands its static CG height
    // above the ground when the wheels touch.
    const bool isUser = objectId == kUserObjectId || objectId == kObjectIdUser;
    const bool onGround = forcedGround || aboveGround < (isUser ? 1.0 : kStaticCgToGroundFt + 1.0);

    if (name == "PLANE LATITUDE") return lat;
    if (name == "PLANE LONGITUDE") return lon;
    if (name == "PLANE PITCH DEGREES") return angle(pitch);
    if (name == "PLANE BANK DEGREES") return angle(bank);
    if (name == "PLANE HEADING DEGREES TRUE") return angle(heading);
    if (name == "PLANE ALTITUDE") return altitude;
    if (name == "PLANE ALT ABOVE GROUND") return aboveGround;
    if (name == "GROUND ALTITUDE") return ground;
    if (name == "GROUND VELOCITY") return gs;
    if (name == "AIRSPEED TRUE") return tas;
    if (name == "VERTICAL SPEED") return vs;
    if (name == "SIM ON GROUND") return onGround ? 1.0 : 0.0;
    if (name == "ZULU TIME") return utc.tm_hour * 3600.0 + utc.tm_min * 60.0 + utc.tm_sec;
    if (name == "ZULU DAY OF YEAR") return utc.tm_yday + 1.0;
    if (name == "ZULU YEAR") return utc.tm_year + 1900.0;
    if (name == "STANDARD ATM TEMPERATURE") return kStandardAtmRankine - 0.003566 * altitude;
    if (name == "STATIC CG TO GROUND") return kStaticCgToGroundFt;
    if (name == "STATIC PITCH") return kStaticPitchRad;
    if (name == "LIGHT STATES" || name == "LIGHT ON STATES") {
        // Bits as the simulator numbers them: nav 1, beacon 2, landing 4, taxi 8, strobe 16, logo 256, cabin 512.
        double mask = 0;
        const std::pair<const char*, double> bits[] = {{"NAV_LIGHTS_SET", 1},     {"BEACON_LIGHTS_SET", 2},
                                                       {"LANDING_LIGHTS_SET", 4}, {"TAXI_LIGHTS_SET", 8},
                                                       {"STROBES_SET", 16},       {"LOGO_LIGHTS_SET", 256},
                                                       {"CABIN_LIGHTS_SET", 512}};
        for (const auto& [event, bit] : bits)
            if (const auto e = events.find(event); e != events.end() && e->second != 0) mask += bit;
        return mask;
    }
    return 0.0;
}

std::string SimStandIn::textValue(const std::string& name, std::uint32_t objectId) const {
    const bool user = objectId == kUserObjectId || objectId == kObjectIdUser;
    const auto found = objects_.find(objectId);
    if (name == "TITLE") return user ? config_.userTitle : found != objects_.end() ? found->second.title : "";
    if (name == "ATC MODEL") return user ? config_.userModel : "";
    if (name == "CATEGORY") return user ? "Airplane" : found != objects_.end() ? found->second.category : "";
    if (name == "ATC ID") return user ? config_.userAtcId : found != objects_.end() ? found->second.tailNumber : "";
    return {};
}

// ---------------------------------------------------------------- time

void SimStandIn::step() {
    while (nowMs_ - lastSecondMs_ >= 1000.0) {
        lastSecondMs_ += 1000.0;
        onSecond();
    }
    const double framePeriod = 1000.0 / std::max(1.0, config_.frameRateHz);
    if (nowMs_ - lastFrameMs_ >= framePeriod - 1e-6) {
        lastFrameMs_ = nowMs_;
        if (open_) {
            onFrame();
            const auto found = systemEvents_.find("FRAME");
            if (found != systemEvents_.end()) {
                RecvEventFrame frame{};
                frame.uGroupID = kUnknownGroup;
                frame.uEventID = found->second;
                frame.fFrameRate = static_cast<float>(config_.frameRateHz);
                frame.fSimSpeed = 1.0f;
                queueRecord(frame, RecvId::EventFrame);
            }
            for (const auto& [requestId, request] : periodic_)
                if (request.period == Period::SimFrame || request.period == Period::VisualFrame)
                    queueData(RecvId::SimObjectData, requestId, request.defineId, request.objectId, 1, 1);
        }
    }
}

void SimStandIn::onSecond() {
    recordTracks();
    if (!open_) return;
    queueSystemEvent("1sec", 0);
    for (const auto& [requestId, request] : periodic_)
        if (request.period == Period::Second)
            queueData(RecvId::SimObjectData, requestId, request.defineId, request.objectId, 1, 1);
}

void SimStandIn::recordTracks() {
    const UserPose pose = userPose();
    lf_pushTrack(userTrack_, pose.lat, pose.lon);
    trace({{"position", kUserObjectId}, {"user", true}, {"lat", pose.lat}, {"lon", pose.lon},
           {"alt", pose.onGround ? groundAltitudeFt(pose.lat, pose.lon) : pose.altitudeFt}, {"onGround", pose.onGround}});
    for (auto& [id, o] : objects_) {
        lf_pushTrack(o.track, o.lat, o.lon);
        trace({{"position", id}, {"tail", o.tailNumber}, {"lat", o.lat}, {"lon", o.lon}, {"alt", o.altitudeFt}});
    }
}

void SimStandIn::advance(double ms) {
    std::lock_guard lock(mutex_);
    nowMs_ += ms;
    step();
}

bool SimStandIn::waitDispatched(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return dispatched_.wait_for(lock, timeout, [&] { return queue_.empty() && !dispatching_; });
}

bool SimStandIn::runFrame(std::chrono::milliseconds timeout) {
    advance(1000.0 / std::max(1.0, config_.frameRateHz));
    return waitDispatched(timeout);
}

// ---------------------------------------------------------------- connection

SimBackend::HRESULT SimStandIn::open(HANDLE* handle, const char* name, void*, DWORD, HANDLE, DWORD) {
    std::lock_guard lock(mutex_);
    if (!config_.available) return kFail;
    if (open_) {
        auto client = std::make_unique<FacilityClient>();
        *handle = client.get();
        RecvOpen record{};
        client->queue.push_back(recordBytes(record, RecvId::Open));
        otherClients_.emplace(*handle, std::move(client));
        trace({{"call", "Open"}, {"name", name ? name : ""}, {"client", otherClients_.size() + 1}});
        return kOk;
    }
    open_ = true;
    mainFacilities_ = FacilityClient{};
    lastSendId_ = 1;
    *handle = this;
    definitions_.clear();
    systemEvents_.clear();
    clientEvents_.clear();
    groups_.clear();
    periodic_.clear();
    creating_.clear();
    queue_.clear();
    const bool msfs2020 = config_.version == SimulatorVersion::Msfs2020;
    RecvOpen record{};
    lf_copyText(record.szApplicationName, sizeof(record.szApplicationName),
                config_.applicationName.value_or(msfs2020 ? "KittyHawk" : "SunRise"));
    record.dwApplicationVersionMajor = msfs2020 ? 11 : 12;
    record.dwApplicationVersionMinor = 0;
    record.dwApplicationBuildMajor = msfs2020 ? 282174 : 1;
    record.dwApplicationBuildMinor = msfs2020 ? 999 : 0;
    record.dwSimConnectVersionMajor = msfs2020 ? 11 : 12;
    record.dwSimConnectBuildMajor = msfs2020 ? 62651 : 1;
    record.dwSimConnectBuildMinor = msfs2020 ? 3 : 0;
    queueRecord(record, RecvId::Open);
    trace({{"call", "Open"}, {"name", name ? name : ""}});
    return kOk;
}

SimBackend::HRESULT SimStandIn::close(HANDLE handle) {
    std::lock_guard lock(mutex_);
    if (otherClients_.erase(handle) > 0) {
        trace({{"call", "Close"}, {"client", "other"}});
        return kOk;
    }
    if (!open_ || handle != this) return kFail;
    open_ = false;
    queue_.clear();
    creating_.clear();
    trace({{"call", "Close"}});
    dispatched_.notify_all();
    return kOk;
}

SimBackend::HRESULT SimStandIn::callDispatch(HANDLE handle, DispatchProc dispatch, void* context) {
    std::deque<std::vector<char>> batch;
    {
        std::unique_lock lock(mutex_);
        if (const auto other = otherClients_.find(handle); other != otherClients_.end()) {
            batch.swap(other->second->queue);
            lock.unlock();
            for (std::vector<char>& message : batch)
                dispatch(reinterpret_cast<Recv*>(message.data()), static_cast<DWORD>(message.size()), context);
            return kOk;
        }
        if (!open_ || handle != this) return kFail;
        if (config_.clock == ClockMode::RealTime) {
            nowMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - startedAt_).count();
            step();
        }
        batch.swap(queue_);
        dispatching_ = true;
    }
    for (std::vector<char>& message : batch)
        dispatch(reinterpret_cast<Recv*>(message.data()), static_cast<DWORD>(message.size()), context);
    {
        std::lock_guard lock(mutex_);
        dispatching_ = false;
    }
    dispatched_.notify_all();
    return kOk;
}

SimBackend::HRESULT SimStandIn::getLastSentPacketId(HANDLE handle, DWORD* sendId) {
    std::lock_guard lock(mutex_);
    if (const auto other = otherClients_.find(handle); other != otherClients_.end()) {
        *sendId = other->second->lastSendId;
        return kOk;
    }
    if (!open_ || handle != this) return kFail;
    *sendId = lastSendId_;
    return kOk;
}

// ---------------------------------------------------------------- registration

SimBackend::HRESULT SimStandIn::addToDataDefinition(HANDLE handle, DWORD defineId, const char* datumName,
                                                    const char* unitsName, DataType datumType, float, DWORD) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "AddToDataDefinition")) return kFail;
    const std::string name = datumName ? datumName : "";
    trace({{"call", "AddToDataDefinition"}, {"define", defineId}, {"datum", name}});
    // The call itself succeeds; the simulator answers an unknown name later with an exception
    // naming the call and its second parameter, and leaves the definition without the datum.
    if (!gf_isKnownSimVariable(name)) {
        queueException(ExceptionId::NameUnrecognized, lastSendId_, 2);
        return kOk;
    }
    definitions_[defineId].push_back({gf_upperAscii(name), unitsName ? unitsName : "", datumType});
    return kOk;
}

SimBackend::HRESULT SimStandIn::subscribeToSystemEvent(HANDLE handle, DWORD eventId, const char* eventName) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "SubscribeToSystemEvent")) return kFail;
    const std::string name = eventName ? eventName : "";
    static const std::set<std::string> known{"SIM", "OBJECTADDED", "OBJECTREMOVED", "FLIGHTLOADED", "FRAME",
                                             "1SEC", "4SEC", "PAUSE", "SIMSTART", "SIMSTOP", "CRASHED"};
    trace({{"call", "SubscribeToSystemEvent"}, {"id", eventId}, {"name", name}});
    if (!known.count(gf_upperAscii(name))) {
        queueException(ExceptionId::NameUnrecognized, lastSendId_, 2);
        return kOk;
    }
    systemEvents_[gf_upperAscii(name)] = eventId;
    if (gf_upperAscii(name) == "SIM") queueSystemEvent("Sim", config_.flightRunning ? 1 : 0);
    return kOk;
}

SimBackend::HRESULT SimStandIn::mapClientEventToSimEvent(HANDLE handle, DWORD eventId, const char* eventName) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "MapClientEventToSimEvent")) return kFail;
    clientEvents_[eventId] = eventName ? eventName : "";
    trace({{"call", "MapClientEventToSimEvent"}, {"id", eventId}, {"name", clientEvents_[eventId]}});
    return kOk;
}

SimBackend::HRESULT SimStandIn::addClientEventToNotificationGroup(HANDLE handle, DWORD groupId, DWORD eventId,
                                                                  BOOL maskable) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "AddClientEventToNotificationGroup")) return kFail;
    groups_[groupId].push_back(eventId);
    trace({{"call", "AddClientEventToNotificationGroup"}, {"group", groupId}, {"id", eventId}, {"maskable", maskable}});
    return kOk;
}

SimBackend::HRESULT SimStandIn::setNotificationGroupPriority(HANDLE handle, DWORD groupId, DWORD priority) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "SetNotificationGroupPriority")) return kFail;
    trace({{"call", "SetNotificationGroupPriority"}, {"group", groupId}, {"priority", priority}});
    return kOk;
}

// ---------------------------------------------------------------- data

SimBackend::HRESULT SimStandIn::requestDataOnSimObject(HANDLE handle, DWORD requestId, DWORD defineId, DWORD objectId,
                                                       Period period, DWORD, DWORD, DWORD, DWORD) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "RequestDataOnSimObject")) return kFail;
    trace({{"call", "RequestDataOnSimObject"}, {"request", requestId}, {"define", defineId}, {"objectId", objectId},
           {"period", static_cast<DWORD>(period)}});
    const std::uint32_t target = objectId == kObjectIdUser ? kUserObjectId : objectId;
    if (!definitions_.count(defineId) || (target != kUserObjectId && !objects_.count(target))) {
        queueException(ExceptionId::UnrecognizedId, lastSendId_, 2);
        return kOk;
    }
    periodic_.erase(requestId);
    if (period == Period::Once) queueData(RecvId::SimObjectData, requestId, defineId, target, 1, 1);
    else if (period != Period::Never) periodic_[requestId] = {defineId, target, period};
    return kOk;
}

SimBackend::HRESULT SimStandIn::requestDataOnSimObjectType(HANDLE handle, DWORD requestId, DWORD defineId,
                                                           DWORD radiusMeters, SimObjectType type) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "RequestDataOnSimObjectType")) return kFail;
    if (!definitions_.count(defineId)) {
        queueException(ExceptionId::UnrecognizedId, lastSendId_, 2);
        return kOk;
    }
    if (radiusMeters > kMaxRadiusMeters) {
        queueException(ExceptionId::OutOfBounds, lastSendId_, 3);
        return kOk;
    }
    const UserPose pose = userPose();
    // The user flies an aeroplane; helicopters answer only to their own type (or to all).
    std::vector<std::uint32_t> found;
    if (type == SimObjectType::User || type == SimObjectType::Aircraft || type == SimObjectType::All)
        found.push_back(kUserObjectId);
    if (type != SimObjectType::User)
        for (const auto& [id, o] : objects_)
            if ((type == SimObjectType::All || type == lf_objectType(o.category)) &&
                gf_distanceNm(pose.lat, pose.lon, o.lat, o.lon) * 1852.0 <= radiusMeters)
                found.push_back(id);
    for (std::size_t i = 0; i < found.size(); ++i)
        queueData(RecvId::SimObjectDataByType, requestId, defineId, found[i], static_cast<DWORD>(i + 1),
                  static_cast<DWORD>(found.size()));
    trace({{"call", "RequestDataOnSimObjectType"}, {"request", requestId}, {"radius", radiusMeters},
           {"found", found.size()}});
    return kOk;
}

SimBackend::HRESULT SimStandIn::setDataOnSimObject(HANDLE handle, DWORD defineId, DWORD objectId, DWORD, DWORD,
                                                   DWORD unitSize, void* data) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "SetDataOnSimObject")) return kFail;
    const auto definition = definitions_.find(defineId);
    const auto object = objects_.find(objectId);
    if (definition == definitions_.end() || object == objects_.end()) {
        queueException(ExceptionId::UnrecognizedId, lastSendId_, definition == definitions_.end() ? 1 : 2);
        return kOk;
    }
    std::size_t expected = 0;
    for (const Datum& datum : definition->second) expected += lf_datumSize(datum.type);
    if (unitSize != expected || !data) {
        queueException(ExceptionId::InvalidDataSize, lastSendId_, 5);
        return kOk;
    }
    StandInObject& o = object->second;
    const char* bytes = static_cast<const char*>(data);
    for (const Datum& datum : definition->second) {
        double value = 0;
        if (datum.type == DataType::Float64) std::memcpy(&value, bytes, 8);
        bytes += lf_datumSize(datum.type);
        if (datum.name == "PLANE LATITUDE") o.lat = value;
        else if (datum.name == "PLANE LONGITUDE") o.lon = value;
        else if (datum.name == "PLANE PITCH DEGREES") o.pitch = value;
        else if (datum.name == "PLANE BANK DEGREES") o.bank = value;
        else if (datum.name == "PLANE HEADING DEGREES TRUE") o.heading = value;
        else if (datum.name == "PLANE ALTITUDE") o.altitudeFt = value;
        else if (datum.name == "VERTICAL SPEED") o.verticalSpeed = value;
        else if (datum.name == "AIRSPEED TRUE") o.trueAirspeed = value;
    }
    trace({{"call", "SetDataOnSimObject"}, {"define", defineId}, {"objectId", objectId}, {"lat", o.lat},
           {"lon", o.lon}, {"alt", o.altitudeFt}, {"tas", o.trueAirspeed}, {"headingRad", o.heading}});
    return kOk;
}

// ---------------------------------------------------------------- events and AI objects

SimBackend::HRESULT SimStandIn::transmitClientEvent(HANDLE handle, DWORD objectId, DWORD eventId, DWORD data,
                                                    DWORD groupId, DWORD flags) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "TransmitClientEvent")) return kFail;
    const auto mapped = clientEvents_.find(eventId);
    const std::string name = mapped != clientEvents_.end() ? mapped->second : "";
    trace({{"call", "TransmitClientEvent"}, {"objectId", objectId}, {"id", eventId}, {"event", name}, {"data", data},
           {"group", groupId}, {"flags", flags}});
    const auto object = objects_.find(objectId);
    if (mapped == clientEvents_.end() || (object == objects_.end() && objectId != kUserObjectId)) {
        queueException(ExceptionId::UnrecognizedId, lastSendId_, mapped == clientEvents_.end() ? 2 : 1);
        return kOk;
    }
    if (object == objects_.end()) return kOk;
    StandInObject& o = object->second;
    o.lastEvents[name] = data;
    if (name == "FREEZE_LATITUDE_LONGITUDE_SET") o.frozenLatLon = data != 0;
    else if (name == "FREEZE_ALTITUDE_SET") o.frozenAltitude = data != 0;
    else if (name == "FREEZE_ATTITUDE_SET") o.frozenAttitude = data != 0;
    return kOk;
}

SimBackend::HRESULT SimStandIn::aiCreateNonAtcAircraft(HANDLE handle, const char* containerTitle,
                                                       const char* tailNumber, DataInitPosition initPosition,
                                                       DWORD requestId) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "AICreateNonATCAircraft")) return kFail;
    const std::string title = containerTitle ? containerTitle : "";
    const std::string tail = tailNumber ? tailNumber : "";
    trace({{"call", "AICreateNonATCAircraft"}, {"title", title}, {"tail", tail}, {"lat", initPosition.Latitude},
           {"lon", initPosition.Longitude}, {"alt", initPosition.Altitude}, {"heading", initPosition.Heading},
           {"onGround", initPosition.OnGround}, {"request", requestId}, {"sendId", lastSendId_}});
    // The answer comes some frames later, as the simulator first loads the model; only then
    // does the object exist for every other call.
    PendingCreation pending;
    pending.requestId = requestId;
    pending.sendId = lastSendId_;
    pending.framesLeft = std::max(1, config_.creationFrames);
    const auto installed = titles_.find(title);
    if (installed == titles_.end()) pending.failure = ExceptionId::CreateObjectFailed;
    else if (objects_.size() + creating_.size() >= config_.maxObjects) pending.failure = ExceptionId::TooManyObjects;
    if (!pending.failure) {
        StandInObject& o = pending.object;
        o.id = nextObjectId_++;
        o.title = title;
        o.category = installed->second;
        o.tailNumber = tail.substr(0, 12);
        o.lat = initPosition.Latitude;
        o.lon = initPosition.Longitude;
        const double ground = groundAltitudeFt(o.lat, o.lon);
        o.altitudeFt = initPosition.OnGround ? ground : std::max(initPosition.Altitude, ground);
        o.pitch = gf_degToRad(initPosition.Pitch);
        o.bank = gf_degToRad(initPosition.Bank);
        o.heading = gf_degToRad(initPosition.Heading);
        o.trueAirspeed = initPosition.Airspeed;
    }
    creating_.push_back(std::move(pending));
    return kOk;
}

void SimStandIn::onFrame() {
    for (PendingCreation& pending : creating_) --pending.framesLeft;
    while (!creating_.empty() && creating_.front().framesLeft <= 0) {
        PendingCreation pending = std::move(creating_.front());
        creating_.pop_front();
        if (pending.failure) {
            queueException(*pending.failure, pending.sendId, pending.failure == ExceptionId::CreateObjectFailed ? 1 : 0);
            continue;
        }
        const std::uint32_t id = pending.object.id;
        const auto [placed, inserted] = objects_.emplace(id, std::move(pending.object));
        RecvAssignedObjectId assigned{};
        assigned.dwRequestID = pending.requestId;
        assigned.dwObjectID = id;
        queueRecord(assigned, RecvId::AssignedObjectId);
        queueObjectEvent("ObjectAdded", placed->second);
        trace({{"event", "ObjectAdded"}, {"objectId", id}, {"tail", placed->second.tailNumber},
               {"title", placed->second.title}, {"category", placed->second.category}});
    }
}

SimBackend::HRESULT SimStandIn::aiRemoveObject(HANDLE handle, DWORD objectId, DWORD requestId) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "AIRemoveObject")) return kFail;
    trace({{"call", "AIRemoveObject"}, {"objectId", objectId}, {"request", requestId}});
    const auto object = objects_.find(objectId);
    if (object == objects_.end()) {
        queueException(ExceptionId::UnrecognizedId, lastSendId_, 1);
        return kOk;
    }
    queueObjectEvent("ObjectRemoved", object->second);
    objects_.erase(object);
    trace({{"event", "ObjectRemoved"}, {"objectId", objectId}});
    return kOk;
}

SimBackend::HRESULT SimStandIn::aiReleaseControl(HANDLE handle, DWORD objectId, DWORD requestId) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "AIReleaseControl")) return kFail;
    trace({{"call", "AIReleaseControl"}, {"objectId", objectId}, {"request", requestId}});
    const auto object = objects_.find(objectId);
    if (object == objects_.end()) queueException(ExceptionId::UnrecognizedId, lastSendId_, 1);
    else object->second.released = true;
    return kOk;
}

SimBackend::HRESULT SimStandIn::aiSetAircraftFlightPlan(HANDLE handle, DWORD objectId, const char* flightPlanPath,
                                                        DWORD requestId) {
    std::lock_guard lock(mutex_);
    if (!beginCall(handle, "AISetAircraftFlightPlan")) return kFail;
    const std::string path = flightPlanPath ? flightPlanPath : "";
    trace({{"call", "AISetAircraftFlightPlan"}, {"objectId", objectId}, {"path", path}, {"request", requestId}});
    const auto object = objects_.find(objectId);
    if (object == objects_.end()) {
        queueException(ExceptionId::UnrecognizedId, lastSendId_, 1);
        return kOk;
    }
    const std::optional<FlightPlanAirports> plan = lf_readFlightPlan(path);
    if (!plan) {
        queueException(ExceptionId::LoadFlightPlanFailed, lastSendId_, 2);
        return kOk;
    }
    object->second.flightPlan = path;
    object->second.departureId = plan->departure;
    object->second.destinationId = plan->destination;
    return kOk;
}

SimStandIn::FacilityClient* SimStandIn::beginFacilityCall(HANDLE handle, const char* function) {
    if (handle == this) return beginCall(handle, function) ? &mainFacilities_ : nullptr;
    const auto other = otherClients_.find(handle);
    if (other == otherClients_.end()) return nullptr;
    ++other->second->lastSendId;
    if (failing_.count(function)) {
        trace({{"call", function}, {"client", "other"}, {"result", "forced failure"}});
        return nullptr;
    }
    return other->second.get();
}

SimBackend::HRESULT SimStandIn::addToFacilityDefinition(HANDLE handle, DWORD defineId, const char* fieldName) {
    std::lock_guard lock(mutex_);
    FacilityClient* client = beginFacilityCall(handle, "AddToFacilityDefinition");
    if (!client) return kFail;
    const std::string field = fieldName ? fieldName : "";
    trace({{"call", "AddToFacilityDefinition"}, {"define", defineId}, {"field", field}});
    if (!gf_acceptFacilityField(field, client->openEntries[defineId])) {
        RecvException record{};
        record.dwException = static_cast<DWORD>(ExceptionId::DataError);
        record.dwSendID = client->lastSendId;
        (client == &mainFacilities_ ? queue_ : client->queue).push_back(recordBytes(record, RecvId::Exception));
        return kOk;
    }
    client->definitions[defineId].push_back(field);
    return kOk;
}

SimBackend::HRESULT SimStandIn::requestFacilityData(HANDLE handle, DWORD defineId, DWORD requestId, const char* icao,
                                                    const char*) {
    std::lock_guard lock(mutex_);
    FacilityClient* client = beginFacilityCall(handle, "RequestFacilityData");
    if (!client) return kFail;
    const std::string wanted = gf_upperAscii(icao ? icao : "");
    trace({{"call", "RequestFacilityData"}, {"define", defineId}, {"request", requestId}, {"icao", wanted}});
    auto& target = client == &mainFacilities_ ? queue_ : client->queue;
    const DWORD version = config_.version == SimulatorVersion::Msfs2020 ? 5 : 6;
    const auto definition = client->definitions.find(defineId);
    const auto airport = gf_facilityAirport(config_.airports, wanted, config_.communityFolder);
    // An airport the simulator does not have answers with the end record alone.
    if (definition != client->definitions.end() && airport) {
        auto records = gf_facilityRecords(definition->second, *airport, requestId, nextFacilityUniqueId_, version);
        nextFacilityUniqueId_ += static_cast<DWORD>(records.size());
        for (auto& record : records) target.push_back(std::move(record));
    }
    RecvFacilityDataEnd end{};
    end.RequestId = requestId;
    target.push_back(recordBytes(end, RecvId::FacilityDataEnd));
    return kOk;
}

// ---------------------------------------------------------------- test controls

void SimStandIn::setAvailable(bool available) {
    std::lock_guard lock(mutex_);
    config_.available = available;
}

void SimStandIn::setFlightRunning(bool running) {
    std::lock_guard lock(mutex_);
    config_.flightRunning = running;
    if (open_) queueSystemEvent("Sim", running ? 1 : 0);
}

void SimStandIn::quit() {
    std::lock_guard lock(mutex_);
    config_.available = false;
    if (!open_) return;
    RecvQuit record{};
    queueRecord(record, RecvId::Quit);
    trace({{"event", "Quit"}});
}

void SimStandIn::loadFlight(const std::string& file) {
    std::lock_guard lock(mutex_);
    const auto found = systemEvents_.find("FLIGHTLOADED");
    if (!open_ || found == systemEvents_.end()) return;
    RecvEventFilename record{};
    record.uGroupID = kUnknownGroup;
    record.uEventID = found->second;
    lf_copyText(record.szFileName, sizeof(record.szFileName), file);
    queueRecord(record, RecvId::EventFilename);
    trace({{"event", "FlightLoaded"}, {"file", file}});
}

void SimStandIn::setUserScript(UserScript script) {
    std::lock_guard lock(mutex_);
    config_.user = std::move(script);
    scriptStartMs_ = nowMs_;
}

void SimStandIn::failCalls(const std::string& function, bool fail) {
    std::lock_guard lock(mutex_);
    if (fail) failing_.insert(function);
    else failing_.erase(function);
}

std::uint32_t SimStandIn::spawnForeignAircraft(const std::string& tailNumber, double lat, double lon,
                                               double altitudeFt) {
    std::lock_guard lock(mutex_);
    StandInObject o;
    o.id = nextObjectId_++;
    o.tailNumber = tailNumber;
    o.title = "foreign";
    o.lat = lat;
    o.lon = lon;
    o.altitudeFt = std::max(altitudeFt, groundAltitudeFt(lat, lon));
    o.createdByProgram = false;
    const std::uint32_t id = o.id;
    objects_.emplace(id, std::move(o));
    if (open_) queueObjectEvent("ObjectAdded", objects_.at(id));
    trace({{"event", "ObjectAdded"}, {"objectId", id}, {"tail", tailNumber}, {"foreign", true}});
    return id;
}

void SimStandIn::sendException(ExceptionId exception, DWORD sendId, DWORD index) {
    std::lock_guard lock(mutex_);
    if (open_) queueException(exception, sendId, index);
}

std::vector<StandInObject> SimStandIn::objects() const {
    std::lock_guard lock(mutex_);
    std::vector<StandInObject> all;
    for (const auto& [id, o] : objects_) all.push_back(o);
    return all;
}

std::optional<StandInObject> SimStandIn::object(std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    const auto found = objects_.find(id);
    if (found == objects_.end()) return std::nullopt;
    return found->second;
}

std::vector<json> SimStandIn::trace() const {
    std::lock_guard lock(mutex_);
    return trace_.entries();
}

void SimStandIn::writeMap() const {
    std::lock_guard lock(mutex_);
    if (!config_.mapPath) return;
    std::vector<MapObject> map;
    map.push_back({"user " + config_.userAtcId, true, userTrack_});
    for (const auto& [id, o] : objects_) map.push_back({o.tailNumber, false, o.track});
    std::string error;
    if (!gf_writeFileAtomically(*config_.mapPath, gf_renderSvgMap(map), &error))
        throw std::runtime_error("Failed to write file " + config_.mapPath->string() + ": " + error);
}

} // namespace vorl::standin
