#include <exception>
#include <memory>

#include "app/HeadlessFrontEnd.h"
#include "app/ProcessEntry.h"
#include "common/Log.h"
#ifdef VORL_WITH_QT
#include "ui/QtFrontEnd.h"
#endif
#ifdef _WIN32
#include "ui/win32/Win32FrontEnd.h"
#endif

int main(int argc, char** argv) {
    return vorl::gf_processEntry(argc, argv, [&argc, argv](const vorl::CommandLineOptions& options,
                                                           [[maybe_unused]] vorl::Commands& commands)
                                                 -> std::unique_ptr<vorl::FrontEnd> {
#ifdef _WIN32
        // Windows always has a desktop to show the window on.
        if (!options.headless) {
            try {
                return std::make_unique<vorl::Win32FrontEnd>(commands, options.durationSeconds, options.windowPicture);
            } catch (const std::exception& e) {
                // No front-end: the process entry logs that start-up failed and ends.
                vorl::logImportant("The window could not be created: {}", e.what());
                return nullptr;
            }
        }
#endif
#ifdef VORL_WITH_QT
        if (!options.headless && vorl::gf_windowAvailable())
            return std::make_unique<vorl::QtFrontEnd>(argc, argv, commands, options.durationSeconds,
                                                      options.windowPicture);
#endif
        return std::make_unique<vorl::HeadlessFrontEnd>(options.durationSeconds);
    });
}
