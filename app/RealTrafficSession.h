#pragma once
#include <atomic>
#include <functional>
#include <memory>

#include "app/ProgramServices.h"
#include "app/StatusFigures.h"

namespace vorl {

class LiveTrafficLink;
class ParkingLink;
class RtLink;

// The RealTraffic side of one run: login, the two reader threads, the user position they query
// around, and the orderly end at closing down.
class RealTrafficSession {
public:
    RealTrafficSession(const ProgramServices& services, ParkingLink& parking, LiveTrafficLink& live);
    ~RealTrafficSession();
    RealTrafficSession(const RealTrafficSession&) = delete;
    RealTrafficSession& operator=(const RealTrafficSession&) = delete;

    // Logs in and starts both readers. A failure on the way (no login, no session, no first
    // traffic answer) requests a stop with the restart it is worth instead of ending the program.
    // `whileWaiting` runs between the waits (pending window commands, repaints).
    void setUp(const std::function<void()>& whileWaiting);

    // Every fifth second, and once in session set-up: the user position, the ground's elevation,
    // the time shift and the radius in force go to the readers.
    void handUserPosition();
    // Periodic check from the run loops: a session whose readers have both ended without a
    // stop request is reported as a reader failure.
    void periodicCheck();
    // Closing down: stop and wake both readers, wait for them to end, then log out.
    void closeDown();

    // The traffic radius now in force, nautical miles.
    double trafficRadiusNm() const;
    // The link while the session runs, nullptr before the set-up and after closing down.
    RtLink* link() { return link_.get(); }
    bool trafficReceived() const;

    void fill(StatusFigures& figures) const;

private:
    const ProgramServices& services_;
    ParkingLink& parking_;
    LiveTrafficLink& live_;
    std::unique_ptr<RtLink> link_;
    std::atomic<int> qnh_{1013};
    std::atomic<LinkState> weather_{LinkState::Unknown};
    std::atomic<LinkState> traffic_{LinkState::Unknown};
};

} // namespace vorl
