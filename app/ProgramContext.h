#pragma once
#include <atomic>

#include "app/CommandLine.h"
#include "app/RunSlot.h"

namespace vorl {

class FrontEnd;

// What the process knows about itself beyond settings and run flags.
struct ProgramContext {
    FrontEnd* frontEnd = nullptr;
    CommandLineOptions options;
    // This start-up follows an in-process restart (no version check then).
    std::atomic<bool> restarted{false};
    // Worker pools are sized from this; recorded once per start-up.
    std::atomic<unsigned> hardwareThreads{2};
    // The run the window's commands reach, while one exists.
    RunSlot runSlot;
};

ProgramContext& gf_program();

} // namespace vorl
