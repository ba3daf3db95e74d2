#pragma once
#include <atomic>
#include <mutex>

namespace vorl {

// Why the program stops; 3, 5 and 6 restart it inside the same process.
enum class ClosingReason : int {
    NotYetSet = 0,
    SimWasClosed = 1,
    NewFlight = 2,
    NewSettings = 3,
    UserClosedSim = 4,
    SimConnectError = 5,
    ReaderError = 6,
    SystemError = 7,
    NewVersion = 8,
};

const char* gf_closingReasonText(ClosingReason reason);
bool gf_isRestartReason(ClosingReason reason);

// The process-wide run flags and the one stop request every part of the program goes through.
class RunControl {
public:
    // Asks the program to stop. Only the first request since the last reset stores its
    // reason and restart delay; true when this call was that first one.
    bool requestStop(ClosingReason reason, int restartDelaySeconds);

    bool stopRequested() const { return stopRequested_.load(); }
    ClosingReason reason() const;
    int restartDelay() const;

    // The user closed the window (or the run is a production check that ends by itself).
    void setWindowClosed() { windowClosed_.store(true); }
    bool windowClosed() const { return windowClosed_.load(); }
    bool stopOrClosed() const { return stopRequested() || windowClosed(); }

    void setRestartPending(bool pending) { restartPending_.store(pending); }
    bool restartPending() const { return restartPending_.load(); }

    void setProduction(bool on) { production_.store(on); }
    bool production() const { return production_.load(); }

    void setExitCode(int code) { exitCode_.store(code); }
    int exitCode() const { return exitCode_.load(); }

    // While the program waits after a start-up error, the user fixed its cause (typed the
    // install path): closing down then restarts after `delaySeconds` instead of waiting.
    void requestRecoveryRestart(int delaySeconds) { recoveryDelay_.store(delaySeconds); }
    int recoveryDelay() const { return recoveryDelay_.load(); }

    // After a restart: no stop requested, no reason. The window state survives.
    void resetForRestart();
    // A new life of the program (the process entry): every flag back to its start value.
    void resetAll();

private:
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> windowClosed_{false};
    std::atomic<bool> restartPending_{false};
    std::atomic<bool> production_{false};
    std::atomic<int> exitCode_{0};
    std::atomic<int> recoveryDelay_{-1};
    mutable std::mutex mutex_;
    ClosingReason reason_ = ClosingReason::NotYetSet;
    int restartDelay_ = 0;
};

RunControl& gf_run();

} // namespace vorl
