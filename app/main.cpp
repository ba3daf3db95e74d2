#include <memory>

#include "app/HeadlessFrontEnd.h"
#include "app/ProcessEntry.h"
#ifdef VORL_WITH_QT
#include "ui/QtFrontEnd.h"
#endif

int main(int argc, char** argv) {
    return vorl::gf_processEntry(argc, argv, [&argc, argv](const vorl::CommandLineOptions& options,
                                                           [[maybe_unused]] vorl::Commands& commands)
                                                 -> std::unique_ptr<vorl::FrontEnd> {
#ifdef VORL_WITH_QT
        if (!options.headless && vorl::gf_windowAvailable())
            return std::make_unique<vorl::QtFrontEnd>(argc, argv, commands, options.durationSeconds,
                                                      options.windowPicture);
#endif
        return std::make_unique<vorl::HeadlessFrontEnd>(options.durationSeconds);
    });
}
