#pragma once
#include <mutex>
#include <string>

#include "app/StatusFigures.h"

namespace vorl {

// What the simulator link has told about the simulator and the user's aircraft, written on the
// SimClient thread and copied into the status figures by the run loop.
class SimMarks {
public:
    void setSimulator(const std::string& text);
    void setUserStand(const std::string& stand);
    void setUserTitle(const std::string& title);
    void setConnected(bool connected);
    void setRunning(bool running);
    void setWingspanKnown(bool known);

    bool connected() const;
    // Copies the marks into `figures`; before the simulator answered, `choice` names it.
    void fill(StatusFigures& figures, const std::string& choice) const;

private:
    mutable std::mutex mutex_;
    std::string simulator_;
    std::string userStand_;
    std::string userTitle_;
    bool connected_ = false;
    bool running_ = false;
    bool wingspanKnown_ = false;
};

} // namespace vorl
