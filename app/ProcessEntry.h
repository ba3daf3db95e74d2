#pragma once
#include <functional>
#include <memory>

#include "app/CommandLine.h"

namespace vorl {

class Commands;
class FrontEnd;

// Builds the front-end the run asks for (window or console), calling `commands` for every use
// of its controls.
using FrontEndFactory = std::function<std::unique_ptr<FrontEnd>(const CommandLineOptions&, Commands& commands)>;

// The whole life of the process: single instance, log, settings file check, front-end and
// its message loop. Returns the process exit code; -1 when another instance runs.
int gf_processEntry(int argc, char** argv, const FrontEndFactory& makeFrontEnd);

} // namespace vorl
