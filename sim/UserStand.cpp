#include "sim/UserStand.h"

#include <cmath>
#include <mutex>

#include "sim/SimHooks.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

struct Remembered {
    std::mutex mutex;
    bool valid = false;
    double lat = 0.0;
    double lon = 0.0;
    std::string answer;
};

Remembered& lf_remembered() {
    static Remembered remembered;
    return remembered;
}

} // namespace

std::string userStandName(double lat, double lon) {
    const SimHooks& hooks = gf_simSession().hooks();
    const bool hasStands = hooks.parkAirportHasStands && hooks.parkAirportHasStands();
    if (!hasStands || !gf_simSession().onGround.load() || !hooks.nearestStandName) return {};
    Remembered& memory = lf_remembered();
    std::lock_guard lock(memory.mutex);
    if (memory.valid && std::fabs(memory.lat - lat) < 1e-8 && std::fabs(memory.lon - lon) < 1e-8)
        return memory.answer;
    memory.answer = hooks.nearestStandName(lat, lon, kUserAtStandNm).value_or(std::string{});
    memory.lat = lat;
    memory.lon = lon;
    memory.valid = true;
    return memory.answer;
}

void gf_resetUserStandName() {
    Remembered& memory = lf_remembered();
    std::lock_guard lock(memory.mutex);
    memory.valid = false;
    memory.answer.clear();
}

} // namespace vorl
