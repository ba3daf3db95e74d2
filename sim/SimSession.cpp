#include "sim/SimSession.h"

#include "common/Log.h"
#include "sim/SimIds.h"
#include "sim/SimOutbox.h"

namespace vorl {
namespace {

using simconnect::failed;

// Radius used when no setting says otherwise: 50 nautical miles.
constexpr std::uint32_t kDefaultRangeMeters = 92600;

// One request from the run loop, made under the outbox mutex so that it never interleaves with
// the frame-time sending. A failure is logged and ends the run.
template <typename Call> void lf_request(const char* failureText, Call&& call) {
    SimSession& session = gf_simSession();
    std::lock_guard lock(gf_simOutbox().mutex());
    if (session.simConnectError.load() || !session.backend() || !session.handle()) return;
    if (failed(call(*session.backend(), session.handle()))) {
        logImportant(failureText);
        raiseRequestError();
    }
}

} // namespace

void SimSession::setBackend(std::unique_ptr<SimBackend> backend) { backend_ = std::move(backend); }

std::string SimSession::simulatorText() const {
    std::lock_guard lock(textMutex_);
    return simulatorText_;
}
void SimSession::setSimulatorText(const std::string& text) {
    std::lock_guard lock(textMutex_);
    simulatorText_ = text;
}
std::string SimSession::userTitle() const {
    std::lock_guard lock(textMutex_);
    return userTitle_;
}
void SimSession::setUserTitle(const std::string& title) {
    std::lock_guard lock(textMutex_);
    userTitle_ = title;
}
std::string SimSession::userModel() const {
    std::lock_guard lock(textMutex_);
    return userModel_;
}
void SimSession::setUserModel(const std::string& model) {
    std::lock_guard lock(textMutex_);
    userModel_ = model;
}

void SimSession::reset() {
    handle_.store(nullptr);
    {
        std::lock_guard lock(inRangeMutex_);
        inRange_.clear();
    }
    simRunning = false;
    simConnectError = false;
    connected = false;
    onGroundAnswered = false;
    onGround = false;
    onGroundKnown = false;
    oneSecondTick = false;
    userObjectId = 0;
    halfWingspanNm = 0.0;
    halfWingspanKnown = false;
    category = AircraftCategory::Light;
    simTimeEpoch = 0;
    connectedToMsfs2020 = true;
    userState.store({});
    {
        std::lock_guard lock(textMutex_);
        simulatorText_.clear();
        userTitle_.clear();
        userModel_.clear();
    }
    newlyAdded.clear();
    pendingCreations.clear();
    countPendingCreations();
    previousLat = previousLon = 0.0;
    ownObjects.clear();
    spawnedByAsoboLogged = false;
    simGoneHandled = false;
    userStandShown.clear();
}

namespace {
constexpr auto kInRangeMemory = std::chrono::seconds(2);
}

void SimSession::noteInRange(const std::string& atcId) {
    if (atcId.empty()) return;
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(inRangeMutex_);
    inRange_[atcId] = now;
    std::erase_if(inRange_, [&](const auto& entry) { return now - entry.second > kInRangeMemory; });
}

std::set<std::string, std::less<>> SimSession::inRangeCallsigns() const {
    const auto now = std::chrono::steady_clock::now();
    std::set<std::string, std::less<>> callsigns;
    std::lock_guard lock(inRangeMutex_);
    for (const auto& [atcId, seen] : inRange_)
        if (now - seen <= kInRangeMemory) callsigns.insert(atcId);
    return callsigns;
}

void SimSession::connectHooks(SimHooks hooks) {
    gf_requireComplete(hooks);
    hooks_ = std::move(hooks);
}

SimSession& gf_simSession() {
    static SimSession session;
    return session;
}

bool gf_simStopPending() {
    const SimHooks& hooks = gf_simSession().hooks();
    return hooks.stopPending && hooks.stopPending();
}

void gf_simRequestStop(SimStopReason reason, int delaySeconds) {
    if (const SimHooks& hooks = gf_simSession().hooks(); hooks.requestStop) hooks.requestStop(reason, delaySeconds);
}

void gf_simStatus(const std::string& text, bool log) {
    if (const SimHooks& hooks = gf_simSession().hooks(); hooks.setStatus) hooks.setStatus(text, log);
    else if (log) logLine(text);
}

void raiseRequestError() {
    gf_simStatus("SimConnect request error", true);
    gf_simSession().simConnectError.store(true);
    if (!gf_simStopPending()) gf_simRequestStop(SimStopReason::SimConnectError, 9);
}

UserAircraftState requestUserState() {
    lf_request("SimConnect request user ac position fails", [](SimBackend& backend, simconnect::HANDLE handle) {
        return backend.requestDataOnSimObject(handle, simid::kReqUserState, simid::kDefUserState,
                                              simconnect::kObjectIdUser, simconnect::Period::Once, 0, 0, 0, 0);
    });
    return gf_simSession().userState.load();
}

void requestUserTitleAndModel() {
    lf_request("SimConnect request user ac title fails", [](SimBackend& backend, simconnect::HANDLE handle) {
        return backend.requestDataOnSimObject(handle, simid::kReqUserTitle, simid::kDefUserTitle,
                                              simconnect::kObjectIdUser, simconnect::Period::Once, 0, 0, 0, 0);
    });
    lf_request("SimConnect reques user ac model fails", [](SimBackend& backend, simconnect::HANDLE handle) {
        return backend.requestDataOnSimObject(handle, simid::kReqUserModel, simid::kDefUserModel,
                                              simconnect::kObjectIdUser, simconnect::Period::Once, 0, 0, 0, 0);
    });
}

void requestUserOnGround() {
    lf_request("SimConnect request ac gnd/air fails", [](SimBackend& backend, simconnect::HANDLE handle) {
        return backend.requestDataOnSimObject(handle, simid::kReqUserOnGround, simid::kDefUserOnGround,
                                              simconnect::kObjectIdUser, simconnect::Period::Second, 0, 0, 0, 0);
    });
}

void requestAircraftInRange() {
    const SimHooks& hooks = gf_simSession().hooks();
    const std::uint32_t radius = hooks.rangeMeters ? hooks.rangeMeters() : kDefaultRangeMeters;
    lf_request("SimConnect request ac within range fails", [radius](SimBackend& backend, simconnect::HANDLE handle) {
        return backend.requestDataOnSimObjectType(handle, simid::kReqInRange, simid::kDefInRange, radius,
                                                  simconnect::SimObjectType::Aircraft);
    });
    lf_request("SimConnect request ac within range fails", [radius](SimBackend& backend, simconnect::HANDLE handle) {
        return backend.requestDataOnSimObjectType(handle, simid::kReqHelicoptersInRange, simid::kDefInRange, radius,
                                                  simconnect::SimObjectType::Helicopter);
    });
}

void requestStaticAttitude(std::uint32_t objectId) {
    lf_request("SimConnect request static attitude fails", [objectId](SimBackend& backend, simconnect::HANDLE handle) {
        return backend.requestDataOnSimObject(handle, simid::kReqStaticAttitude, simid::kDefStaticAttitude, objectId,
                                              simconnect::Period::Once, 0, 0, 0, 0);
    });
}

void closeSession() {
    SimSession& session = gf_simSession();
    const simconnect::HANDLE handle = session.handle();
    if (!handle) return;
    if (session.backend() && simconnect::succeeded(session.backend()->close(handle))) logLine("SimConnect closed ok");
    else logImportant("Closing SimConnect failed?!");
    session.setHandle(nullptr);
    session.connected = false;
}

} // namespace vorl
