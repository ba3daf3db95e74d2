#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vorl {

struct LiveAircraft;
struct LiveAtAirport;
class LiveTraffic;

// The livery matching is connected here when it is present.
struct LiveSources {
    std::function<std::optional<std::string>(const LiveAircraft& aircraft)> matchLivery;
    std::function<void(const std::string& label, const std::string& title)> liveryFailed;
};

LiveSources& gf_liveSources();

// The live side's play-out clock: the main loop's cycle, in hundredths of a second.
std::int32_t gf_playoutClock();

// Session set-up's part: the live traffic of this run, connected to the main loop, the traffic
// reader's hand-off and the parking.
void gf_liveTrafficSetUp();

// Closing down's part: every live aircraft taken out of the simulator, the hooks released.
void gf_liveTrafficCloseDown();

// A live aircraft as the parking sees it: identity, position and the stand it uses.
LiveAtAirport gf_liveAtAirport(const LiveAircraft& aircraft);

// The live traffic of the running session (main-loop thread only), nullptr outside a session.
LiveTraffic* gf_liveTraffic();

} // namespace vorl
