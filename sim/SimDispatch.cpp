#include "sim/SimDispatch.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#include <fmt/format.h>

#include "common/Geodesy.h"
#include "common/Log.h"
#include "common/UserErrorException.h"
#include "sim/SimHooks.h"
#include "sim/SimIds.h"
#include "sim/SimInbox.h"
#include "sim/SimModelLookup.h"
#include "sim/SimOutbox.h"
#include "sim/SimRecords.h"
#include "sim/SimSession.h"
#include "sim/UserStand.h"

namespace vorl {
namespace {

using namespace simconnect;

constexpr std::size_t kMaxTitleLength = 48;
constexpr double kTeleportNm = 10.0;
constexpr double kIgnoredAboveGroundFt = 2500.0;

template <typename Hook, typename... Args> void lf_call(const Hook& hook, Args&&... args) {
    if (hook) hook(std::forward<Args>(args)...);
}

// The data block of a data record, copied out when it is long enough.
template <typename Block> bool lf_readBlock(const RecvSimObjectData& record, DWORD size, Block& block) {
    if (size < kSimObjectDataHeaderSize + sizeof(Block)) {
        logLine("! Short data record for request {}: {} bytes", record.dwRequestID, size);
        return false;
    }
    std::memcpy(&block, reinterpret_cast<const char*>(&record) + kSimObjectDataHeaderSize, sizeof(Block));
    return true;
}

std::string lf_fixedString(const char* text, std::size_t capacity) { return std::string(text, strnlen(text, capacity)); }

// A request to stop for a new flight, unless a stop is already on its way.
void lf_newFlightStop() {
    if (!gf_simStopPending()) gf_simRequestStop(SimStopReason::NewFlight, 45);
}

// After a flight load the user may sit at a stand of the park airport, which is then kept free.
void lf_parkAirportUpdate() {
    const SimSession& session = gf_simSession();
    const UserAircraftState state = session.userState.load();
    if (!session.onGround.load() || state.groundVelocity > 2.0) return;
    const std::string stand = userStandName(state.latitude, state.longitude);
    if (!stand.empty()) lf_call(gf_simSession().hooks().reserveUserStand, stand);
}

void lf_onException(const RecvException& record) {
    SimSession& session = gf_simSession();
    switch (static_cast<ExceptionId>(record.dwException)) {
    case ExceptionId::UnrecognizedId: {
        const UserAircraftState state = session.userState.load();
        if ((state.latitude == 0.0 && state.longitude == 0.0) || gf_simStopPending()) return;
        logImportant("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID");
        return;
    }
    case ExceptionId::VersionMismatch:
        throw UserErrorException(95, fmt::format("SimConnect Version Mismatch, dwIndex: {}", record.dwIndex));
    case ExceptionId::TooManyObjects: gf_simStatus("SimConnect: too many objects (max 1000)", true); return;
    case ExceptionId::InvalidDataSize: logLine("SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE"); return;
    case ExceptionId::CreateObjectFailed: {
        auto& pending = session.pendingCreations;
        const auto found = std::find_if(pending.begin(), pending.end(),
                                        [&](const PendingCreation& p) { return p.packetId == record.dwSendID; });
        if (found == pending.end()) return;
        const std::uint32_t aircraftId = found->aircraftId;
        pending.erase(found);
        session.countPendingCreations();
        if (aircraftId != 0) gf_simInbox().post({0, aircraftId, 0, SimMessageKind::CreateFailed, 0.0, 0.0});
        return;
    }
    case ExceptionId::LoadFlightPlanFailed: logImportant("SimConnect exception: load flight plan failed"); return;
    case ExceptionId::OperationInvalidForObjectType:
        logLine("SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE");
        return;
    default: logImportant("SIMCONNECT_EXCEPTION #{}", record.dwException); return;
    }
}

void lf_onOpen(const RecvOpen& record) {
    const std::string name = gf_filterApplicationName(record.szApplicationName, sizeof(record.szApplicationName));
    if (name.empty()) {
        logLine("! Simulator name empty?");
        return;
    }
    bool msfs2020 = true;
    if (name == "KittyHawk") msfs2020 = true;
    else if (name == "SunRise") msfs2020 = false;
    else throw UserErrorException(77, fmt::format("'{}' not being MSFS 2020 or MSFS 2024 connects ... ?", name));

    SimSession& session = gf_simSession();
    session.connectedToMsfs2020 = msfs2020;
    const bool settingIs2020 = gf_simSession().hooks().settingIsMsfs2020 ? gf_simSession().hooks().settingIsMsfs2020() : true;
    if (settingIs2020 != msfs2020) throw UserErrorException(2024, "");

    session.connected = true;
    lf_call(gf_simSession().hooks().showConnected, true);
    const std::string text =
        fmt::format("{} ({}.{}.{}.{})", msfs2020 ? "MSFS 2020" : "MSFS 2024", record.dwApplicationVersionMajor,
                    record.dwApplicationVersionMinor, record.dwApplicationBuildMajor, record.dwApplicationBuildMinor);
    logLine("{} connected", text);
    session.setSimulatorText(text);
    lf_call(gf_simSession().hooks().showSimulator, text);
    lf_call(gf_simSession().hooks().repaint);
    lf_call(gf_simSession().hooks().onConnected);
}

void lf_onEvent(const RecvEvent& record) {
    SimSession& session = gf_simSession();
    if (record.uEventID == simid::kEventSim) {
        const bool running = record.dwData == 1;
        session.simRunning = running;
        lf_call(gf_simSession().hooks().showSimRunning, running);
        lf_call(gf_simSession().hooks().repaint);
    } else if (record.uEventID == simid::kEventFlightLoaded) {
        logLine("SimConnect: flight loaded event");
        lf_parkAirportUpdate();
        lf_newFlightStop();
    }
}

void lf_onObjectAddRemove(const RecvEventObjectAddRemove& record) {
    // Helicopters are objects of a type of their own; both kinds are traffic of the program.
    if (record.eObjType != static_cast<DWORD>(SimObjectType::Aircraft) &&
        record.eObjType != static_cast<DWORD>(SimObjectType::Helicopter))
        return;
    SimSession& session = gf_simSession();
    if (record.uEventID == simid::kEventObjectAdded) {
        if (record.dwData > session.userObjectId.load()) session.newlyAdded.push_back(record.dwData);
    } else if (record.uEventID == simid::kEventObjectRemoved) {
        gf_simSession().ownObjects.erase(record.dwData);
        gf_simInbox().post({record.dwData, 0, 0, SimMessageKind::ObjectRemoved, 0.0, 0.0});
    }
}

void lf_onUserTitle(const RecvSimObjectData& record, DWORD size) {
    const char* text = reinterpret_cast<const char*>(&record) + kSimObjectDataHeaderSize;
    const std::size_t room = size > kSimObjectDataHeaderSize ? size - kSimObjectDataHeaderSize : 0;
    std::string title(text, strnlen(text, room));
    if (title.size() > kMaxTitleLength) title.resize(kMaxTitleLength);
    if (title.empty()) {
        logLine("! Title of your aircraft is empty?");
        return;
    }
    SimSession& session = gf_simSession();
    if (title == session.userTitle()) return;
    session.setUserTitle(title);
    lf_call(gf_simSession().hooks().showUserTitle, title);
    logLine("SimConnect: User aircraft title: " + title);
}

double lf_halfWingspanOrMax(const std::string& type, double max) {
    const double span = gf_simHalfWingspanNm(type).value_or(0.0);
    return span != 0.0 ? span : max;
}

void lf_identifyUserModel(const std::string& rawModel) {
    SimSession& session = gf_simSession();
    const SimHooks& hooks = gf_simSession().hooks();
    const std::string title = session.userTitle();
    const double max = gf_simLargestHalfWingspanNm();
    if (rawModel.empty()) {
        lf_call(hooks.showUserTitle, std::string("Unknown (encrypted?) aircraft"));
        gf_simStatus("171: No model info from your user aircraft received in SimConnect, CRJ7 is taken instead", true);
        session.halfWingspanNm = lf_halfWingspanOrMax("CRJ7", max);
        session.halfWingspanKnown = true;
        session.category = gf_simCategoryOf("CRJ7");
        session.setUserModel("CRJ7");
        return;
    }
    logLine("model raw: {}", rawModel);
    std::string model = gf_normaliseUserModel(rawModel, title);
    std::string message = "SimConnect: User aircraft model: " + model;

    if (model.find("camerapod") != std::string::npos || model.find("Crew Vessel") != std::string::npos) {
        session.halfWingspanKnown = true;
        session.halfWingspanNm = gf_simHalfWingspanNm("E190").value_or(max);
        session.category = AircraftCategory::Light;
        session.setUserModel(model);
        logLine(message);
        return;
    }

    double span = max;
    if (model.size() <= 4) span = lf_halfWingspanOrMax(model, max);
    if (span == max && title.size() >= 13) {
        const std::string_view start(title.data(), 13);
        for (const char* variant : {"A319", "A320", "A321"}) {
            if (start != fmt::format("Aerosoft {}", variant)) continue;
            model = variant;
            message = "SimConnect: User aircraft model deduced from title: " + model;
            span = lf_halfWingspanOrMax(model, max);
        }
    }
    session.halfWingspanNm = span;
    session.halfWingspanKnown = true;
    const AircraftCategory category = gf_simCategoryOf(model);
    session.category = category;
    session.setUserModel(model);
    if (span != max) {
        lf_call(hooks.showWingspanKnown, true);
        message += fmt::format(", half wing span: {:.1f} meter", span * 1852.0);
    } else {
        lf_call(hooks.showWingspanKnown, false);
        gf_simStatus("User aircraft wing span unknown, max is taken instead, please report in my Forum!", true);
    }
    message += fmt::format(", category: {}", gf_categoryName(category));
    logLine(message);
}

void lf_onUserModel(const RecvSimObjectData& record, DWORD size) {
    UserModelBlock block{};
    if (!lf_readBlock(record, size, block)) return;
    try {
        lf_identifyUserModel(lf_fixedString(block.atcModel, sizeof(block.atcModel)));
    } catch (const UserErrorException&) {
        throw;
    } catch (...) {
        throw UserErrorException(73, "It looks like you have not selected an aircraft as user vehicle");
    }
}

void lf_onUserOnGround(const RecvSimObjectData& record, DWORD size) {
    UserOnGroundBlock block{};
    if (!lf_readBlock(record, size, block)) return;
    SimSession& session = gf_simSession();
    const UserAircraftState state = session.userState.load();
    if (std::fabs(state.latitude) >= 0.0001 || std::fabs(state.longitude) >= 0.0001) {
        session.onGround = block.onGround != 0;
        session.onGroundKnown = true;
    }
    session.onGroundAnswered = true;
    session.oneSecondTick = true;
}

void lf_onUserState(const RecvSimObjectData& record, DWORD size) {
    UserStateBlock block{};
    if (!lf_readBlock(record, size, block)) return;
    UserAircraftState state;
    state.latitude = block.latitude;
    state.longitude = block.longitude;
    state.pitch = block.pitch;
    state.bank = block.bank;
    state.heading = block.heading;
    state.altitude = std::max(0.0, block.altitude);
    state.altitudeAboveGround = block.altitudeAboveGround;
    state.groundVelocity = block.groundVelocity;
    state.zuluTime = block.zuluTime;
    state.zuluDayOfYear = block.zuluDayOfYear;
    state.zuluYear = block.zuluYear;
    state.lightStates = block.lightStates;
    state.standardAtmTemperature = block.standardAtmTemperature;

    SimSession& session = gf_simSession();
    session.userState.store(state);
    const bool hadPosition = session.previousLat != 0.0 || session.previousLon != 0.0;
    const bool hasPosition = state.latitude != 0.0 || state.longitude != 0.0;
    if (hadPosition && hasPosition &&
        gf_distanceNm(session.previousLat, session.previousLon, state.latitude, state.longitude) > kTeleportNm) {
        logLine("Teleport");
        lf_newFlightStop();
    }
    session.previousLat = state.latitude;
    session.previousLon = state.longitude;

    const std::string stand = userStandName(state.latitude, state.longitude);
    if (stand != session.userStandShown) {
        session.userStandShown = stand;
        lf_call(gf_simSession().hooks().showUserStand, stand);
    }
    if (gf_simSession().hooks().simTimeInUse && gf_simSession().hooks().simTimeInUse())
        session.simTimeEpoch = gf_simTimeEpoch(state.zuluYear, state.zuluDayOfYear, state.zuluTime);
    session.userObjectId = record.dwObjectID;
}

void lf_onAircraftInRange(const RecvSimObjectData& record, DWORD size) {
    InRangeBlock block{};
    if (!lf_readBlock(record, size, block)) return;
    SimSession& session = gf_simSession();
    const std::uint32_t objectId = record.dwObjectID;
    if (objectId <= session.userObjectId.load()) return;
    const std::string atcId = lf_fixedString(block.atcId, sizeof(block.atcId));

    auto& added = session.newlyAdded;
    const auto addedAt = std::find(added.begin(), added.end(), objectId);
    if (addedAt == added.end()) {
        if (session.ownObjects.count(objectId) == 0) session.noteInRange(atcId);
        if (block.altitudeAboveGround > kIgnoredAboveGroundFt || atcId.empty() || atcId.back() == '*') return;
        gf_simInbox().post({objectId, block.onGround != 0 ? 1u : 0u, 0, SimMessageKind::GroundData,
                            block.groundAltitude, block.altitudeAboveGround});
        return;
    }
    added.erase(addedAt);

    std::uint32_t aircraftId = 0;
    auto& pending = session.pendingCreations;
    if (const auto match = std::find_if(pending.begin(), pending.end(),
                                        [&](const PendingCreation& p) { return p.callsign == atcId; });
        match != pending.end()) {
        aircraftId = match->aircraftId;
        pending.erase(match);
        session.countPendingCreations();
    }
    if (aircraftId != 0) session.ownObjects.insert(objectId);
    else session.noteInRange(atcId);
    if (aircraftId == 0) {
        const std::int64_t onGround = block.onGround;
        if (atcId == "AS-GEN") {
            if (!session.spawnedByAsoboLogged) {
                session.spawnedByAsoboLogged = true;
                logImportant("\nSpawned by Asobo, oid: {}, callsign AS-GEN, altaboveGnd:{:.0f} ft, onground:{}, "
                             "gnd_alt:{:.0f} ft\nThis message will be logged only once...\n",
                             objectId, block.altitudeAboveGround, onGround, block.groundAltitude);
            }
        } else {
            logLine("just spawned, but not by {}, oid: {}, callsign '{}', altaboveGnd:{:.0f} ft, onground:{}, "
                    "gnd_alt:{:.0f} ft",
                    "VORL", objectId, atcId, block.altitudeAboveGround, onGround, block.groundAltitude);
        }
        return;
    }
    {
        // The program moves the object itself: the simulator's AI lets go and the object is frozen.
        SimOutbox& outbox = gf_simOutbox();
        std::lock_guard lock(outbox.mutex());
        session.backend()->aiReleaseControl(session.handle(), objectId, simid::kReqReleaseControl);
        outbox.queueClientEventLocked(objectId, simid::kFreezeLatLon, 1);
        outbox.queueClientEventLocked(objectId, simid::kFreezeAltitude, 1);
        outbox.queueClientEventLocked(objectId, simid::kFreezeAttitude, 1);
    }
    if (aircraftId > kLastStaticAircraftId)
        gf_simInbox().post({objectId, aircraftId, 0, SimMessageKind::LiveCreated, 0.0, block.altitudeAboveGround});
    else
        gf_simInbox().post({objectId, aircraftId, 0, SimMessageKind::StaticCreated, 0.0, 0.0});
}

void lf_onSimObjectData(const RecvSimObjectData& record, DWORD size) {
    switch (record.dwRequestID) {
    case simid::kReqStaticAttitude: {
        StaticAttitudeBlock block{};
        if (lf_readBlock(record, size, block))
            gf_simInbox().post({record.dwObjectID, 0, 0, SimMessageKind::StaticAttitude, block.staticCgToGround,
                                block.staticPitch});
        return;
    }
    case simid::kReqUserTitle: lf_onUserTitle(record, size); return;
    case simid::kReqUserModel: lf_onUserModel(record, size); return;
    case simid::kReqUserOnGround: lf_onUserOnGround(record, size); return;
    case simid::kReqUserState: lf_onUserState(record, size); return;
    default: return;
    }
}

void lf_dispatch(const Recv& record, DWORD size, DispatchState& state) {
    switch (static_cast<RecvId>(record.dwID)) {
    case RecvId::Exception: lf_onException(static_cast<const RecvException&>(record)); return;
    case RecvId::Open: lf_onOpen(static_cast<const RecvOpen&>(record)); return;
    case RecvId::Quit:
        gf_simSession().simRunning = false;
        state.quit = true;
        return;
    case RecvId::Event: lf_onEvent(static_cast<const RecvEvent&>(record)); return;
    case RecvId::EventObjectAddRemove:
        lf_onObjectAddRemove(static_cast<const RecvEventObjectAddRemove&>(record));
        return;
    case RecvId::EventFilename:
        logLine("SimConnect: New file event");
        lf_parkAirportUpdate();
        lf_newFlightStop();
        return;
    case RecvId::EventFrame: gf_simOutbox().send(); return;
    case RecvId::SimObjectData: lf_onSimObjectData(static_cast<const RecvSimObjectData&>(record), size); return;
    case RecvId::SimObjectDataByType:
        if (const DWORD request = static_cast<const RecvSimObjectData&>(record).dwRequestID;
            request == simid::kReqInRange || request == simid::kReqHelicoptersInRange)
            lf_onAircraftInRange(static_cast<const RecvSimObjectData&>(record), size);
        return;
    case RecvId::AssignedObjectId:
    case RecvId::ClientData:
    case RecvId::EventEx1: return;
    default: logLine("! Unknown Dispatch dwID {}", record.dwID); return;
    }
}

} // namespace

std::string gf_filterApplicationName(const char* name, std::size_t maxLength) {
    std::string filtered;
    for (std::size_t i = 0; i < maxLength && name[i] != '\0'; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80 && (std::isalnum(c) || std::isspace(c))) filtered.push_back(static_cast<char>(c));
    }
    return filtered;
}

void VORL_SIMCONNECT_CALL gf_simDispatch(Recv* data, DWORD size, void* context) {
    auto& state = *static_cast<DispatchState*>(context);
    // After a failure the rest of this batch is not looked at; the thread ends with it.
    if (!data || state.error) return;
    try {
        lf_dispatch(*data, size, state);
    } catch (...) {
        state.error = std::current_exception();
    }
}

} // namespace vorl
