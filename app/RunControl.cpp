#include "app/RunControl.h"

namespace vorl {

const char* gf_closingReasonText(ClosingReason reason) {
    switch (reason) {
    case ClosingReason::NotYetSet: return "NOT YET SET";
    case ClosingReason::SimWasClosed: return "SIM WAS CLOSED";
    case ClosingReason::NewFlight: return "NEW FLIGHT";
    case ClosingReason::NewSettings: return "NEW SETTINGS";
    case ClosingReason::UserClosedSim: return "USER CLOSED SIM";
    case ClosingReason::SimConnectError: return "SIMCONNECT ERROR";
    case ClosingReason::ReaderError: return "READER ERROR";
    case ClosingReason::SystemError: return "SYSTEM ERROR";
    case ClosingReason::NewVersion: return "NEW VERSION";
    }
    return "NOT YET SET";
}

bool gf_isRestartReason(ClosingReason reason) {
    return reason == ClosingReason::NewSettings || reason == ClosingReason::SimConnectError ||
           reason == ClosingReason::ReaderError;
}

bool RunControl::requestStop(ClosingReason reason, int restartDelaySeconds) {
    // The reason is stored under the same lock that sets the flag, so nobody who sees the
    // stop can read a reason that is not yet there.
    std::lock_guard lock(mutex_);
    stopRequested_.store(true);
    if (reason_ != ClosingReason::NotYetSet) return false;
    reason_ = reason;
    restartDelay_ = restartDelaySeconds;
    return true;
}

ClosingReason RunControl::reason() const {
    std::lock_guard lock(mutex_);
    return reason_;
}

int RunControl::restartDelay() const {
    std::lock_guard lock(mutex_);
    return restartDelay_;
}

void RunControl::resetForRestart() {
    std::lock_guard lock(mutex_);
    stopRequested_.store(false);
    reason_ = ClosingReason::NotYetSet;
    restartDelay_ = 0;
    recoveryDelay_.store(-1);
}

void RunControl::resetAll() {
    resetForRestart();
    windowClosed_.store(false);
    restartPending_.store(false);
    production_.store(false);
    exitCode_.store(0);
}

RunControl& gf_run() {
    static RunControl run;
    return run;
}

} // namespace vorl
