#pragma once
#include <cstdint>
#include <ctime>

namespace vorl {

// The main loop's bookkeeping on each one-second tick of the simulator: the per-second step,
// then the work the tick counter schedules every 5, 15, 16, 60, 61 and 1200 ticks and once a day.
class TickWork {
public:
    // `simTimeEpoch`: the simulator's UTC time in seconds, 0 when unknown.
    void onTick(std::time_t now, std::int64_t simTimeEpoch);

    int tickCounter() const { return tickCounter_; }
    int statusClock() const { return statusClock_; }

private:
    void perSecond(std::time_t now, std::int64_t simTimeEpoch);
    void followSimulatorTime(std::time_t now, std::int64_t simTimeEpoch);
    void everyFifthTick();
    void quarterMinute();

    int tickCounter_ = 0;
    int statusClock_ = 0;
    int parkingCountdownMinutes_ = 20;
    std::int64_t lastSimTime_ = 0;
};

} // namespace vorl
