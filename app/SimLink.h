#pragma once
#include <memory>

#include "app/CommandLine.h"

namespace vorl {

class SimBackend;

// Connects the simulator link's hooks to the program: stop request, status and error texts,
// settings, the window's figures and the model database.
void gf_connectSimHooks();

// The backend `--sim` names: the simulator stand-in, or the simulator's SimConnect library.
std::unique_ptr<SimBackend> gf_makeSimBackend(const CommandLineOptions& options);

// Session set-up's part: a fresh session on `backend`, the SimClient thread started, and the
// wait for the user aircraft's first state. False when the wait ended without it.
bool gf_startSimLink(std::unique_ptr<SimBackend> backend);

// The user aircraft's latest position, handed to the rest of the program (the traffic box
// follows it).
void gf_publishSimUserPosition();

// Closing down's part: the SimClient thread stopped and the connection closed.
void gf_stopSimLink();

} // namespace vorl
