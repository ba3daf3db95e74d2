#include "sim/SimClient.h"

#include <chrono>
#include <string>

#include <fmt/format.h>

#include "common/Log.h"
#include "common/UserErrorException.h"
#include "common/platform.h"
#include "sim/SimDispatch.h"
#include "sim/SimHooks.h"
#include "sim/SimIds.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

using namespace std::chrono_literals;
using simconnect::DataType;
using simconnect::failed;

struct Datum {
    const char* name;
    const char* units;
    DataType type;
};

struct Definition {
    std::uint32_t id;
    std::initializer_list<Datum> data;
};

// In the order they are registered; each block's layout follows its order.
const std::initializer_list<Definition>& lf_definitions() {
    static const std::initializer_list<Definition> definitions{
        {simid::kDefUserTitle, {{"TITLE", nullptr, DataType::StringV}}},
        {simid::kDefUserModel, {{"ATC MODEL", nullptr, DataType::String32}}},
        {simid::kDefUserOnGround, {{"SIM ON GROUND", "Bool", DataType::Int64}}},
        {simid::kDefAiPosition,
         {{"Plane Latitude", "degree", DataType::Float64},
          {"Plane Longitude", "degree", DataType::Float64},
          {"Plane Pitch degrees", "radians", DataType::Float64},
          {"Plane Bank degrees", "radians", DataType::Float64},
          {"Plane Heading degrees true", "radians", DataType::Float64},
          {"Plane Altitude", "feet", DataType::Float64},
          {"Vertical Speed", "feet per second", DataType::Float64},
          {"Airspeed True", "knots", DataType::Float64}}},
        {simid::kDefUserState,
         {{"Plane Latitude", "degree", DataType::Float64},
          {"Plane Longitude", "degree", DataType::Float64},
          {"Plane Pitch degrees", "radians", DataType::Float64},
          {"Plane Bank degrees", "radians", DataType::Float64},
          {"Plane Heading degrees true", "radians", DataType::Float64},
          {"Plane Altitude", "feet", DataType::Float64},
          {"Plane Alt Above Ground", "feet", DataType::Float64},
          {"Ground Velocity", "knots", DataType::Float64},
          {"ZULU TIME", "Seconds", DataType::Int64},
          {"ZULU DAY OF YEAR", "Number", DataType::Int64},
          {"ZULU YEAR", "Number", DataType::Int64},
          {"LIGHT STATES", "Mask", DataType::Int64},
          {"STANDARD ATM TEMPERATURE", "Rankine", DataType::Float64}}},
        {simid::kDefStaticAttitude,
         {{"Static CG to Ground", "feet", DataType::Float64}, {"Static Pitch", "radians", DataType::Float64}}},
        {simid::kDefAiLights, {{"Light On States", "Mask", DataType::Int64}}},
        {simid::kDefInRange,
         {{"Plane Alt Above Ground", "feet", DataType::Float64},
          {"Ground Altitude", "feet", DataType::Float64},
          {"SIM ON GROUND", "Bool", DataType::Int64},
          {"ATC ID", nullptr, DataType::String32}}},
        {simid::kDefAiControls,
         {{"SPOILERS HANDLE POSITION", "percent", DataType::Float64},
          {"GENERAL ENG THROTTLE LEVER POSITION:1", "percent", DataType::Float64},
          {"GENERAL ENG THROTTLE LEVER POSITION:2", "percent", DataType::Float64}}},
    };
    return definitions;
}

// A registration the simulator refuses leaves the program unable to work: the run restarts.
void lf_check(simconnect::HRESULT result, const std::string& what) {
    if (!failed(result)) return;
    logImportant("SimConnect registration failed: {}", what);
    raiseRequestError();
}

void lf_registerEverything(SimBackend& backend, simconnect::HANDLE handle) {
    for (const auto& event : simid::kSystemEvents)
        lf_check(backend.subscribeToSystemEvent(handle, event.id, event.name), event.name);
    for (const Definition& definition : lf_definitions())
        for (const Datum& datum : definition.data)
            lf_check(backend.addToDataDefinition(handle, definition.id, datum.name, datum.units, datum.type, 0.0f,
                                                 simconnect::kUnused),
                     datum.name);
    for (const auto& event : simid::kClientEvents)
        lf_check(backend.mapClientEventToSimEvent(handle, event.id, event.name), event.name);
    for (const std::uint32_t event : simid::kGroupEvents)
        lf_check(backend.addClientEventToNotificationGroup(handle, simid::kGroup, event, 1),
                 fmt::format("group event {}", event));
    lf_check(backend.setNotificationGroupPriority(handle, simid::kGroup, simconnect::kGroupPriorityHighest),
             "group priority");
}

bool lf_settingIs2020() { return gf_simSession().hooks().settingIsMsfs2020 ? gf_simSession().hooks().settingIsMsfs2020() : true; }

void lf_setError(const std::string& text) {
    if (gf_simSession().hooks().setError) gf_simSession().hooks().setError(text);
    else logLine("Error {}", text);
}

// Open, register and dispatch until the stop token is set or the simulator quits. Returns
// false when the connection could not be opened (the caller tries again).
bool lf_connectAndDispatch(const std::stop_token& stopToken) {
    SimSession& session = gf_simSession();
    SimBackend& backend = *session.backend();
    closeSession();
    simconnect::HANDLE handle = nullptr;
    if (failed(backend.open(&handle, "VORL", nullptr, 0, nullptr, 0)) || !handle) return false;
    session.setHandle(handle);
    gf_simStatus("", false);
    lf_registerEverything(backend, handle);
    const bool fineTimer = gf_beginFineTimer();
    DispatchState state;
    try {
        while (!stopToken.stop_requested() && !state.quit) {
            backend.callDispatch(handle, gf_simDispatch, &state);
            if (state.error) std::rethrow_exception(state.error);
            std::this_thread::sleep_for(1ms);
        }
    } catch (...) {
        if (fineTimer) gf_endFineTimer();
        throw;
    }
    if (fineTimer) gf_endFineTimer();
    closeSession();
    if (state.quit) gf_simGone(false);
    return true;
}

} // namespace

void gf_simGone(bool restart) {
    SimSession& session = gf_simSession();
    session.simGoneHandled = true;
    session.simRunning = false;
    if (restart) {
        // The other simulator answered: the setting follows it and the program starts again.
        if (gf_simSession().hooks().switchSimulatorSetting) gf_simSession().hooks().switchSimulatorSetting(session.connectedToMsfs2020);
        gf_simRequestStop(SimStopReason::NewSettings, 3);
    } else {
        gf_simRequestStop(SimStopReason::SimWasClosed, 0);
    }
}

void gf_simClientThread(std::stop_token stopToken) {
    SimSession& session = gf_simSession();
    bool first = true;
    bool restart = false;
    while (true) {
        if (gf_simStopPending() || stopToken.stop_requested()) break;
        if (first) {
            gf_simStatus(fmt::format("Waiting for MSFS 20{} ...", lf_settingIs2020() ? "20" : "24"), true);
            first = false;
        }
        try {
            if (lf_connectAndDispatch(stopToken)) break;
            std::this_thread::sleep_for(100ms);
        } catch (const UserErrorException& e) {
            if (std::string(e.what()).rfind("2024", 0) == 0) {
                logLine("MSFS and {} do not match, restarting ...", "VORL");
                restart = true;
                if (!session.simGoneHandled) gf_simGone(restart);
            } else {
                lf_setError(e.what());
            }
            break;
        } catch (const std::exception& e) {
            lf_setError(e.what());
            gf_simGone(restart);
            break;
        } catch (...) {
            lf_setError(fmt::format("Exception in {}", "SimClient"));
            gf_simGone(restart);
            break;
        }
    }
    closeSession();
}

void SimClient::start() {
    stop();
    thread_ = std::jthread([](std::stop_token token) { gf_simClientThread(token); });
}

void SimClient::stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

SimClient& gf_simClient() {
    static SimClient client;
    return client;
}

bool gf_awaitUserAircraft(const std::function<bool()>& mustStop) {
    SimSession& session = gf_simSession();
    const auto failedOrStopped = [&] { return mustStop() || session.simConnectError.load(); };
    while (!session.connected.load() || !session.simRunning.load()) {
        if (failedOrStopped()) return false;
        if (session.connected.load()) requestUserState();
        std::this_thread::sleep_for(500ms);
    }
    requestUserState();
    requestUserTitleAndModel();
    requestUserOnGround();
    while (!session.onGroundAnswered.load()) {
        if (failedOrStopped()) return false;
        std::this_thread::sleep_for(200ms);
        requestUserState();
    }
    return !failedOrStopped();
}

bool gf_simCycle(std::uint64_t cycle) {
    SimOutbox& outbox = gf_simOutbox();
    outbox.endOfCycle();
    const bool staticCheck = outbox.paceQueues(cycle);
    if (cycle % 20 == 0) requestAircraftInRange();
    if (cycle % 100 == 0) requestUserState();
    return staticCheck;
}

} // namespace vorl
