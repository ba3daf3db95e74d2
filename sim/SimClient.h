#pragma once
#include <cstdint>
#include <functional>
#include <stop_token>
#include <thread>

namespace vorl {

// The thread that owns the SimConnect connection: opens it (retrying every 100 ms), registers
// everything the program uses, and pumps the dispatch every millisecond until asked to stop.
class SimClient {
public:
    // Starts the thread; a previous one is joined first.
    void start();
    // Asks the thread to stop and waits for it; the connection is closed by then.
    void stop();
    bool running() const { return thread_.joinable(); }

private:
    std::jthread thread_;
};

SimClient& gf_simClient();

// The thread body, exposed for a caller that runs it on a thread of its own.
void gf_simClientThread(std::stop_token stopToken);

// The simulator has gone (or must be restarted because it is the other version).
void gf_simGone(bool restart);

// Session set-up: waits until the simulator runs and the user aircraft's first on-ground answer
// has arrived. False when `mustStop` says so first or a request failed.
bool gf_awaitUserAircraft(const std::function<bool()>& mustStop);

// The simulator link's share of one run-loop cycle (10 ms): the positions of this cycle go to
// the outbox, creations and removals are paced, and the aircraft in range (every 20th cycle)
// and the user state (every 100th) are requested. True when the static parking may check its
// own creations this cycle.
bool gf_simCycle(std::uint64_t cycle);

} // namespace vorl
