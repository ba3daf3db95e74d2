#pragma once

namespace vorl {

struct AirportDatabase;
class FrontEnd;
class LiveryCatalogue;
class ModelDatabase;
class Parameters;
class RunControl;
class SimOutbox;
class StatusBoard;
struct AppPaths;
struct CommandLineOptions;

// What outlives a run of the program and every part of the run works with: the settings, the
// stop request, the status line, the window, the folders, the reference data read at start-up,
// and the one outbox towards the simulator.
struct ProgramServices {
    Parameters& params;
    RunControl& run;
    StatusBoard& status;
    FrontEnd& frontEnd;
    const AppPaths& paths;
    const CommandLineOptions& options;
    ModelDatabase& models;
    const AirportDatabase& airports;
    LiveryCatalogue& liveries;
    SimOutbox& outbox;
    unsigned hardwareThreads = 2;
};

} // namespace vorl
