#include "app/UserPosition.h"

#include <mutex>

namespace vorl {
namespace {
std::mutex g_mutex;
UserPosition g_position;
} // namespace

void gf_publishUserPosition(LatLon position, double altitudeFeet) {
    std::lock_guard lock(g_mutex);
    g_position = {position, altitudeFeet < 0.0 ? 0.0 : altitudeFeet, true};
}

UserPosition gf_userPosition() {
    std::lock_guard lock(g_mutex);
    return g_position;
}

void gf_forgetUserPosition() {
    std::lock_guard lock(g_mutex);
    g_position = {};
}

} // namespace vorl
