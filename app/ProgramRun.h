#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/AirportScanLink.h"
#include "app/LiveTrafficLink.h"
#include "app/LiveryMatching.h"
#include "app/ParkingLink.h"
#include "app/ProgramServices.h"
#include "app/RealTrafficSession.h"
#include "app/RunActions.h"
#include "app/SimLink.h"
#include "app/StatusFigures.h"
#include "app/TickWork.h"

namespace vorl {

// One run of the program, from start-up to closing down: it owns the subsystems of the run,
// builds them in the order they depend on each other (and destroys them in reverse), runs the
// session set-up and the run loop, answers the window's commands, and composes the status
// figures. A restart destroys it and builds a new one; nothing of a run survives it.
class ProgramRun final : public RunActions {
public:
    explicit ProgramRun(const ProgramServices& services);
    ~ProgramRun() override;
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Start-up steps that belong to the run.
    void countAddonAirportFolders();
    // Buttons and edit boxes may be used from now on.
    void enableCommands();
    // A destination kept from before is applied again.
    void reapplyDestination();
    // False when start-up must close down instead of running the loop.
    bool sessionSetUp();
    // The 100 Hz loop; returns when a stop is requested.
    void mainLoop();

    // Closing down, in its order: every object of the program leaves the simulator and the link
    // stops; the readers end and the session logs out; the run's summaries are written.
    void stopSimulatorLink();
    void stopReaders();
    void writeSummaries();

    // The run loop's parts.
    const ProgramServices& services() const { return services_; }
    ParkingLink& parking() { return parking_; }
    LiveTrafficLink& live() { return live_; }
    RealTrafficSession& realTraffic() { return realTraffic_; }
    SimLink& sim() { return sim_; }
    TickWork& ticks() { return ticks_; }
    // Commands of the window waiting for the run loop, carried out now.
    void runPendingCommands();
    // The status display gets the figures of this moment.
    void publishFigures();
    // The callsign list of the window follows the active live aircraft.
    void refreshCallsignList();
    // The callsign-to-object-id lookup, when the window asked for one.
    void lookUpCallsignIfAsked();
    bool takeFlushRequest() { return flushRequested_.exchange(false); }

    // RunActions.
    bool simulatorConnected() const override;
    bool aiObjectsExist() const override;
    bool commandsReady() const override { return commandsReady_.load(); }
    bool airportScanReady() const override { return airportScanReady_.load(); }
    bool reReadPending() const override { return reReadPending_.load(); }
    bool airportKnown(const std::string& icao) const override;
    void applyDestination(const std::string& icao) override;
    void blockCallsign(const std::string& callsign) override;
    void unblockCallsign(const std::string& callsign) override;
    void navLightsWhileParked(bool on) override;
    void simTime(bool on) override;
    void recomputeRange() override;
    void setQueryRadius(int metres) override;
    void removeSurplusLive(int maxLive) override;
    void replanParkingSource() override;
    void timeShifted() override;
    void requestCallsignLookup() override;
    void requestReRead() override;
    void requestFlushStatic() override;
    void requestStaticUpdateNow() override;

private:
    void post(std::function<void()> command);

    ProgramServices services_;
    LiveryMatching liveries_;
    LiveSnapshot snapshot_;
    ParkingLink parking_;
    LiveTrafficLink live_;
    RealTrafficSession realTraffic_;
    SimLink sim_;
    TickWork ticks_;

    std::mutex pendingMutex_;
    std::vector<std::function<void()>> pending_;
    std::atomic<bool> commandsReady_{false};
    std::atomic<bool> airportScanReady_{false};
    std::atomic<bool> reReadPending_{false};
    std::atomic<bool> flushRequested_{false};
    std::atomic<bool> lookupRequested_{false};
    std::atomic<int> simaddonCount_{0};
    std::atomic<int> thirdpartyCount_{0};
    std::vector<std::string> shownCallsigns_;
};

} // namespace vorl
