#pragma once
#include <string>

namespace vorl {

// What the window's commands ask of the running program. The run of the program implements
// it; questions are answered at once, actions are carried out by the run loop at its next cycle
// (the window's thread never touches the aircraft).
class RunActions {
public:
    virtual ~RunActions() = default;

    virtual bool simulatorConnected() const = 0;
    virtual bool aiObjectsExist() const = 0;
    // Start-up has read what the buttons and edit boxes need.
    virtual bool commandsReady() const = 0;
    // The simulator link is up, so an airport scan can ask it for facility data.
    virtual bool airportScanReady() const = 0;
    // A re-read of the stands is under way; "Re-read" and the destination box wait for it.
    virtual bool reReadPending() const = 0;
    virtual bool airportKnown(const std::string& icao) const = 0;

    virtual void applyDestination(const std::string& icao) = 0;
    // The callsign's live aircraft leaves the simulator; the traffic filter drops it from now on.
    virtual void blockCallsign(const std::string& callsign) = 0;
    virtual void unblockCallsign(const std::string& callsign) = 0;
    virtual void navLightsWhileParked(bool on) = 0;
    virtual void simTime(bool on) = 0;
    virtual void recomputeRange() = 0;
    virtual void setQueryRadius(int metres) = 0;
    virtual void removeSurplusLive(int maxLive) = 0;
    virtual void replanParkingSource() = 0;
    // The traffic picture moved in time: the live aircraft start afresh.
    virtual void timeShifted() = 0;
    virtual void requestCallsignLookup() = 0;
    virtual void requestReRead() = 0;
    virtual void requestFlushStatic() = 0;
    virtual void requestStaticUpdateNow() = 0;
};

} // namespace vorl
