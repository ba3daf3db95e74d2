#pragma once
#include <atomic>
#include <cstdint>
#include <ctime>

namespace vorl {

class ProgramRun;

// The run loop's bookkeeping on each one-second tick of the simulator: the per-second step,
// then the work the tick counter schedules every 5, 15, 16, 60, 61 and 1200 ticks and once a day.
class TickWork {
public:
    explicit TickWork(ProgramRun& run) : run_(run) {}

    // `simTimeEpoch`: the simulator's UTC time in seconds, 0 when unknown.
    void onTick(std::time_t now, std::int64_t simTimeEpoch);
    // The loop starts: the tick counter from 0.
    void start() { tickCounter_ = 0; }

    // The next tick takes the simulator's time over at once.
    void forgetSimulatorTime() { lastSimTime_ = 0; }
    // The static parking is renewed at the next update, counted down on the status line, and
    // the next periodic renewal is 20 minutes away.
    void announceStaticUpdate();
    // Minutes to the next periodic renewal of the static parking.
    int nextUpdateMinutes() const { return parkingCountdownMinutes_.load(); }

private:
    void perSecond(std::time_t now, std::int64_t simTimeEpoch);
    void followSimulatorTime(std::time_t now, std::int64_t simTimeEpoch);
    void everyFifthTick();
    void quarterMinute();
    void countDownRenewal();

    ProgramRun& run_;
    int tickCounter_ = 0;
    int statusClock_ = 0;
    std::atomic<int> parkingCountdownMinutes_{20};
    std::int64_t lastSimTime_ = 0;
    // The removal of all static aircraft was announced; it happens at the next quarter minute.
    bool flushAnnounced_ = false;
    // The renewal of the static parking was announced; it happens at the next update tick.
    bool renewalAnnounced_ = false;
};

} // namespace vorl
