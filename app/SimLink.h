#pragma once
#include <memory>

#include "app/ProgramServices.h"
#include "app/SimMarks.h"

namespace vorl {

class ParkingLink;
class SimBackend;
struct CommandLineOptions;

// The stand-in's DLL that the Windows program loads for `--sim standin`.
inline constexpr const char* kStandInLibraryName = "vorl-sim-standin.dll";

// The backend `--sim` names: the simulator stand-in, or the simulator's SimConnect library.
std::unique_ptr<SimBackend> gf_makeSimBackend(const CommandLineOptions& options, const Parameters& params);

// The simulator link of one run: the session's links to the program, the SimClient thread, and
// what the simulator told about itself and the user's aircraft.
class SimLink {
public:
    SimLink(const ProgramServices& services, ParkingLink& parking);
    ~SimLink();
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    // Session set-up's part: a fresh session on `backend`, the SimClient thread started, and the
    // wait for the user aircraft's first state. False when the wait ended without it.
    bool start(std::unique_ptr<SimBackend> backend);
    // The user aircraft's latest position, handed to the rest of the program.
    void publishUserPosition();
    // Closing down's part: the SimClient thread stopped and the connection closed.
    void stop();

    const SimMarks& marks() const { return marks_; }

private:
    const ProgramServices& services_;
    ParkingLink& parking_;
    SimMarks marks_;
    bool started_ = false;
};

} // namespace vorl
