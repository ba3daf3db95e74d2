#pragma once
#include <atomic>
#include <functional>
#include <string>

namespace vorl {

class FrontEnd;

// What the window's commands ask of subsystems that own the affected state. Each subsystem
// connects its part when it starts; unconnected ones do nothing.
struct WindowCommandHooks {
    std::function<bool()> simulatorConnected = [] { return false; };
    std::function<bool()> aiObjectsExist = [] { return false; };
    std::function<bool(const std::string& icao)> airportKnown = [](const std::string&) { return false; };
    std::function<void(const std::string& icao)> applyDestination = [](const std::string&) {};
    std::function<void(const std::string& callsign)> blockCallsign = [](const std::string&) {};
    std::function<void(const std::string& callsign)> unblockCallsign = [](const std::string&) {};
    std::function<void(bool on)> navLightsWhileParked = [](bool) {};
    std::function<void(bool on)> simTime = [](bool) {};
    std::function<void()> recomputeRange = [] {};
    std::function<void(int metres)> setQueryRadius = [](int) {};
    std::function<void(int maxLive)> removeSurplusLive = [](int) {};
    std::function<void()> replanParkingSource = [] {};
    // Height above ground that counts as airborne for the "AirOnly" filter.
    std::function<double()> airborneOnlyHeightFt = [] { return 0.0; };
};

WindowCommandHooks& gf_commandHooks();

// Requests the main loop carries out at its next chance.
struct WindowRequests {
    std::atomic<bool> callsignToObjectId{false};
    std::atomic<bool> reReadStands{false};
    std::atomic<bool> flushStatic{false};
    std::atomic<bool> staticUpdateNow{false};
    // Start-up has read what the commands need; buttons and edit boxes may be used.
    std::atomic<bool> commandsReady{false};
    // The simulator link is up, so an airport scan can ask it for facility data.
    std::atomic<bool> airportScanReady{false};
};

WindowRequests& gf_windowRequests();

// The window's commands, one entry per kind of control. A front-end re-reads the enabled
// state of its controls (gf_controlEnabled) after each. Each returns true when it handled
// the control id; failures are logged and the window keeps running.
bool gf_onCheckBoxClicked(int controlId);
bool gf_onListSelected(int controlId, int index);
bool gf_onButtonClicked(int controlId);
bool gf_onEditEntered(int controlId, const std::string& text);

// Whether a control may be used now: buttons and edit boxes once start-up is done, and the
// controls whose use depends on other settings or on a pending request.
bool gf_controlEnabled(int controlId);

// A valid callsign: 2 to 8 ASCII letters and digits.
bool gf_isValidCallsign(const std::string& text);

} // namespace vorl
