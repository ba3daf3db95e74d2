#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace vorl {

// State of a reader as the window's status icons show it.
enum class LinkState : int { Unknown = 0, Waiting = 1, Ok = 2, Error = 3 };

// The figures the status display shows. Subsystems write them from their own threads; the
// front-end reads them when it paints.
struct StatusFigures {
    std::atomic<int> qnh{1013};
    std::atomic<int> liveCount{0};
    std::atomic<int> liveryCount{0};
    std::atomic<int> simaddonCount{0};
    std::atomic<int> thirdpartyCount{0};
    std::atomic<LinkState> weather{LinkState::Unknown};
    std::atomic<LinkState> traffic{LinkState::Unknown};

    // The parking panel.
    std::atomic<int> parkUpdates{0};
    std::atomic<int> parkStands{0};
    std::atomic<int> parkedLive{0};
    std::atomic<int> staticCount{0};
    std::atomic<int> standChanges{0}; // stands widened for a live aircraft that did not fit
    std::atomic<int> maxPark{-1};           // -1: no maximum for parked live aircraft
    std::atomic<int> nextUpdateMinutes{20}; // -1: no next update
    std::atomic<bool> parkingWeek{false};
    std::atomic<bool> parkingSoft{false};

    void setTexts(std::string simulatorText, std::string userStand);
    void setParkAirport(std::string airport, std::string qualityFactor, std::string reservedStand,
                        std::string averageFit, std::string trafficWeek);

    struct Texts {
        std::string simulator;
        std::string userStand;
        std::string parkAirport;
        std::string qualityFactor;
        std::string reservedStand;
        std::string averageFit;
        std::string trafficWeek;
    };
    Texts texts() const;
    void reset();

private:
    mutable std::mutex mutex_;
    Texts texts_;
};

StatusFigures& gf_figures();

// One painted line of the status display, with the colour it is drawn in.
struct DisplayLine {
    enum class Colour { Normal, Error, Highlight };
    std::string text;
    Colour colour = Colour::Normal;
};

// The status display as text, top to bottom: header, information, status and error lines.
std::vector<DisplayLine> gf_statusDisplayLines();
// The parking panel below the controls.
std::vector<DisplayLine> gf_parkingPanelLines();

} // namespace vorl
