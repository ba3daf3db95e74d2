#pragma once
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/AircraftCategory.h"
#include "sim/SimBackend.h"
#include "sim/SimHooks.h"
#include "sim/UserAircraft.h"

namespace vorl {

// A creation sent to the simulator whose object has not been identified yet.
struct PendingCreation {
    std::uint32_t packetId = 0;
    std::uint32_t aircraftId = 0;
    std::string callsign;
};

// The one SimConnect connection of the program and what it has learned. Written by the
// SimClient thread, read by the run loop.
class SimSession {
public:
    // The backend every call goes through; set before the SimClient thread starts.
    void setBackend(std::unique_ptr<SimBackend> backend);
    SimBackend* backend() const { return backend_.get(); }

    // The program's links, connected before the SimClient thread starts and released after it
    // stopped; an incomplete set throws with the missing link's name.
    void connectHooks(SimHooks hooks);
    void releaseHooks() { hooks_ = {}; }
    const SimHooks& hooks() const { return hooks_; }

    simconnect::HANDLE handle() const { return handle_.load(); }
    void setHandle(simconnect::HANDLE handle) { handle_.store(handle); }

    std::atomic<bool> simRunning{false};
    std::atomic<bool> simConnectError{false};
    std::atomic<bool> connected{false};
    std::atomic<bool> onGroundAnswered{false};
    std::atomic<bool> onGround{false};
    std::atomic<bool> onGroundKnown{false};
    // Set by the user's once-a-second on-ground answer, consumed (exchanged) by the main loop, so
    // ticks arriving while one is pending merge into one.
    std::atomic<bool> oneSecondTick{false};
    std::atomic<std::uint32_t> userObjectId{0};
    std::atomic<double> halfWingspanNm{0.0};
    std::atomic<bool> halfWingspanKnown{false};
    std::atomic<AircraftCategory> category{AircraftCategory::Light};
    std::atomic<std::int64_t> simTimeEpoch{0};
    // The simulator that answered: true for MSFS 2020.
    std::atomic<bool> connectedToMsfs2020{true};

    UserAircraftStore userState;

    std::string simulatorText() const;
    void setSimulatorText(const std::string& text);
    std::string userTitle() const;
    void setUserTitle(const std::string& title);
    std::string userModel() const;
    void setUserModel(const std::string& model);

    // Touched only on the SimClient thread.
    std::vector<std::uint32_t> newlyAdded;
    // The objects this program created: what it shows is not "another aircraft in range".
    std::set<std::uint32_t> ownObjects;
    std::vector<PendingCreation> pendingCreations;
    // How many creations the simulator has still to answer, for other threads (closing down
    // waits for them, to remove what they create); kept by `countPendingCreations`.
    std::atomic<std::size_t> creationsAwaited{0};
    void countPendingCreations() { creationsAwaited.store(pendingCreations.size()); }
    double previousLat = 0.0;
    double previousLon = 0.0;
    bool spawnedByAsoboLogged = false;
    bool simGoneHandled = false;
    std::string userStandShown;

    // The ATC ids of the aircraft the simulator reported within range (SimClient thread), and
    // those reported in the last two seconds, which the in-range requests refresh five times a
    // second (any thread).
    void noteInRange(const std::string& atcId);
    std::set<std::string, std::less<>> inRangeCallsigns() const;

    // Everything back to its state before the first connection (the backend stays).
    void reset();

private:
    std::unique_ptr<SimBackend> backend_;
    SimHooks hooks_;
    std::atomic<simconnect::HANDLE> handle_{nullptr};
    mutable std::mutex textMutex_;
    std::string simulatorText_;
    std::string userTitle_;
    std::string userModel_;
    mutable std::mutex inRangeMutex_;
    std::map<std::string, std::chrono::steady_clock::time_point, std::less<>> inRange_;
};

SimSession& gf_simSession();

// The SimConnect request error: logged and shown, further sending stopped, and the run ends
// with a restart after 9 seconds.
void raiseRequestError();

// Requests the user aircraft's state (the answer arrives later through the dispatch) and
// returns the last state received.
UserAircraftState requestUserState();
void requestUserTitleAndModel();
// The user's on-ground flag, every second.
void requestUserOnGround();
// Every aircraft within the range setting's radius.
void requestAircraftInRange();
// The static attitude of one AI object, once.
void requestStaticAttitude(std::uint32_t objectId);

void closeSession();

// Stop requests and status texts through the session's hooks, for the simulator link's own use.
bool gf_simStopPending();
void gf_simRequestStop(SimStopReason reason, int delaySeconds);
void gf_simStatus(const std::string& text, bool log);

} // namespace vorl
