#pragma once

namespace vorl {

// Sets up the running session; false when start-up must close down instead.
bool gf_sessionSetUp();

// The 100 Hz loop of the start-up thread; returns when a stop is requested.
void gf_mainLoop();

// The main loop is serving a flight; guarded by the simulator-state mutex.
void gf_setSimulatorRunning(bool running);
bool gf_simulatorRunning();

} // namespace vorl
