#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/AircraftCategory.h"

namespace vorl {

// Closing reasons the simulator link asks for, numbered as the program's stop request knows them.
enum class SimStopReason : int { SimWasClosed = 1, NewFlight = 2, NewSettings = 3, SimConnectError = 5 };

// Links from the simulator session to the rest of the program, handed to the session before its
// SimClient thread starts. Every member must be connected (`gf_requireComplete`).
struct SimHooks {
    // The one stop request; true when this was the first request.
    std::function<bool(SimStopReason reason, int restartDelaySeconds)> requestStop;
    // A stop is pending (requested, or the window closed).
    std::function<bool()> stopPending;
    std::function<void(const std::string& text, bool log)> setStatus;
    // The sticky error text of the window.
    std::function<void(const std::string& text)> setError;
    // The setting names MSFS 2020 (else 2024).
    std::function<bool()> settingIsMsfs2020;
    // The simulator that answered differs from the setting: the setting follows the simulator.
    std::function<void(bool msfs2020)> switchSimulatorSetting;
    // Time-shifted traffic is in use, so the simulator's clock is kept.
    std::function<bool()> simTimeInUse;
    // Radius of the aircraft-in-range request in meters.
    std::function<std::uint32_t()> rangeMeters;

    // The window's marks and texts.
    std::function<void(bool running)> showSimRunning;
    std::function<void(bool connected)> showConnected;
    std::function<void(const std::string& simulatorText)> showSimulator;
    std::function<void(const std::string& title)> showUserTitle;
    std::function<void(const std::string& standName)> showUserStand;
    std::function<void(bool known)> showWingspanKnown;
    std::function<void()> repaint;

    // Run once the simulator has been identified.
    std::function<void()> onConnected;

    // Stands of the current park airport: whether it has any, and the name of the nearest one
    // within `maxNm` of the position.
    std::function<bool()> parkAirportHasStands;
    std::function<std::optional<std::string>(double lat, double lon, double maxNm)> nearestStandName;
    // After a flight load with the user at a stand: that stand becomes the reserved stand.
    std::function<void(const std::string& standName)> reserveUserStand;

    // The model database.
    std::function<std::optional<double>(const std::string& type)> halfWingspanNm;
    std::function<double()> largestHalfWingspanNm;
    std::function<AircraftCategory(const std::string& type)> categoryOf;
};

// Throws, naming the member, when any link of `hooks` is empty.
void gf_requireComplete(const SimHooks& hooks);

} // namespace vorl
