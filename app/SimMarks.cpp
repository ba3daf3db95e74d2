#include "app/SimMarks.h"

namespace vorl {

void SimMarks::setSimulator(const std::string& text) {
    std::lock_guard lock(mutex_);
    simulator_ = text;
}

void SimMarks::setUserStand(const std::string& stand) {
    std::lock_guard lock(mutex_);
    userStand_ = stand;
}

void SimMarks::setUserTitle(const std::string& title) {
    std::lock_guard lock(mutex_);
    userTitle_ = title;
}

void SimMarks::setConnected(bool connected) {
    std::lock_guard lock(mutex_);
    connected_ = connected;
}

void SimMarks::setRunning(bool running) {
    std::lock_guard lock(mutex_);
    running_ = running;
}

void SimMarks::setWingspanKnown(bool known) {
    std::lock_guard lock(mutex_);
    wingspanKnown_ = known;
}

bool SimMarks::connected() const {
    std::lock_guard lock(mutex_);
    return connected_;
}

void SimMarks::fill(StatusFigures& figures, const std::string& choice) const {
    std::lock_guard lock(mutex_);
    figures.simulator = simulator_.empty() ? choice : simulator_;
    figures.userStand = userStand_;
    figures.userTitle = userTitle_;
    figures.simConnected = connected_;
    figures.simRunning = running_;
    figures.wingspanKnown = wingspanKnown_;
}

} // namespace vorl
