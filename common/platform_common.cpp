#include <atomic>
#include <csignal>

#include "common/platform.h"

namespace vorl {
namespace {
std::atomic<bool> g_interrupted{false};
extern "C" void lf_onInterrupt(int) { g_interrupted.store(true); }
} // namespace

void gf_installInterruptHandler() {
    std::signal(SIGINT, lf_onInterrupt);
    std::signal(SIGTERM, lf_onInterrupt);
}

bool gf_interruptRequested() { return g_interrupted.load(); }

} // namespace vorl
