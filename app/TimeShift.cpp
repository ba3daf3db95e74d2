#include "app/TimeShift.h"

#include <atomic>

#include <fmt/format.h>

#include "app/Parameters.h"
#include "app/StatusBoard.h"
#include "common/Log.h"

namespace vorl {
namespace {
std::atomic<int> g_shiftMinutes{0};
}

void gf_setTimeShift(int minutes, bool quiet) {
    if (minutes > kMaxTimeShiftMinutes) {
        logLine("Time shifting is limited to 2 weeks");
        minutes = kMaxTimeShiftMinutes;
    }
    if (minutes < 0) minutes = 0;
    g_shiftMinutes.store(minutes);
    if (minutes == 0) {
        gf_status().setStatus("Time shift = 0", true);
    } else if (!quiet) {
        gf_status().setStatus(fmt::format("Time shifted {} minute{}", minutes, minutes == 1 ? "" : "s"), true);
    }
}

int gf_timeShiftMinutes() { return g_shiftMinutes.load(); }

void gf_applyTimeShiftSettings() {
    Parameters& p = gf_params();
    const auto days = p.reread(p.TIME_SHIFT_DAYS).value_or(p.TIME_SHIFT_DAYS.value());
    const auto hours = p.reread(p.TIME_SHIFT_HOURS).value_or(p.TIME_SHIFT_HOURS.value());
    const auto minutes = p.reread(p.TIME_SHIFT_MINS).value_or(p.TIME_SHIFT_MINS.value());
    const bool asked = days != p.TIME_SHIFT_DAYS.defaultValue() || hours != p.TIME_SHIFT_HOURS.defaultValue() ||
                       minutes != p.TIME_SHIFT_MINS.defaultValue();
    if (asked && !p.SIM_TIME.value()) gf_setTimeShift((hours + days * 24) * 60 + minutes, false);
}

} // namespace vorl
