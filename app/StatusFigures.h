#pragma once
#include <string>
#include <vector>

namespace vorl {

// State of a reader as the window's status icons show it.
enum class LinkState : int { Unknown = 0, Waiting = 1, Ok = 2, Error = 3 };

// The park airport's part of the parking panel, as the static parking publishes it.
struct ParkingPanel {
    std::string airport; // empty: no park airport
    std::string qualityFactor;
    std::string reservedStand;
    std::string averageFit;
    std::string trafficWeek;
    int updates = 0;
    int stands = 0;
    int staticCount = 0;
    int maxPark = -1; // -1: no maximum for parked live aircraft
    int parkingPercentage = 30;
    bool week = false;
    bool soft = false;
};

// What the status display shows, as one value: the run of the program composes it from its
// subsystems once per tick (and after each step of the session set-up) and hands it to the
// front-end, which paints the latest one.
struct StatusFigures {
    int qnh = 1013;
    int liveCount = 0;
    int liveryCount = 0;
    int simaddonCount = 0;
    int thirdpartyCount = 0;
    LinkState weather = LinkState::Unknown;
    LinkState traffic = LinkState::Unknown;

    // The simulator as it answered (the setting's choice until then), and the user's aircraft.
    std::string simulator;
    std::string userStand;
    std::string userTitle;
    bool simConnected = false;
    bool simRunning = false;
    bool wingspanKnown = false;

    // The parking panel: the park airport's part, then the live and the renewal figures.
    ParkingPanel parking;
    int parkedLive = 0;
    int nextUpdateMinutes = 20; // -1: no next update
};

// One painted line of the status display, with the colour it is drawn in.
struct DisplayLine {
    enum class Colour { Normal, Error, Highlight };
    std::string text;
    Colour colour = Colour::Normal;
};

// The status display as text, top to bottom: header, information, status and error lines.
std::vector<DisplayLine> gf_statusDisplayLines(const StatusFigures& figures, const std::string& status,
                                               const std::string& error);
// The parking panel below the controls.
std::vector<DisplayLine> gf_parkingPanelLines(const StatusFigures& figures);
// Both, top to bottom, as a test or a console reads the whole display.
std::vector<DisplayLine> gf_displayLines(const StatusFigures& figures, const std::string& status, const std::string& error);

} // namespace vorl
