#pragma once

namespace vorl {

class ProgramRun;

// The 100 Hz loop of the start-up thread; returns when a stop is requested.
void gf_mainLoop(ProgramRun& run);

// The main loop is serving a flight; guarded by the simulator-state mutex.
void gf_setSimulatorRunning(bool running);
bool gf_simulatorRunning();

} // namespace vorl
