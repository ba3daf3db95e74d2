#include <memory>

#include "app/HeadlessFrontEnd.h"
#include "app/ProcessEntry.h"

int main(int argc, char** argv) {
    return vorl::gf_processEntry(argc, argv, [](const vorl::CommandLineOptions& options) {
        return std::make_unique<vorl::HeadlessFrontEnd>(options.durationSeconds);
    });
}
