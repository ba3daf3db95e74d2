#pragma once
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "sim/SimConnectApi.h"
#include "sim/SimRecords.h"

namespace vorl {

// One AI aircraft to create: where, with which livery, and under which callsign (passed as the
// tail number, which the simulator reports back as "ATC ID").
struct CreateRequest {
    simconnect::DataInitPosition initPosition{};
    std::string callsign;
    std::string liveryTitle;
    std::uint32_t aircraftId = 0; // live id above 10000, static id 1..10000
};

struct PositionRecord {
    AiPositionBlock block;
    std::uint32_t objectId = 0;
};

struct ClientEventRecord {
    std::uint32_t objectId = 0;
    std::uint32_t eventId = 0;
    std::uint32_t data = 0;
};

// Everything the run loop wants done to AI objects, sent by the SimClient thread on each
// simulator frame. The run loop only appends; the SimClient thread only tries the mutex, so
// neither ever waits for the other.
class SimOutbox {
public:
    std::mutex& mutex() { return mutex_; }

    // Run-loop side. Positions go into the run loop's own buffer and reach the outbox at the
    // end of the cycle.
    void queuePosition(std::uint32_t objectId, const AiPositionBlock& block);
    void queueClientEvent(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t data);
    // The same, for a caller that holds the outbox mutex already.
    void queueClientEventLocked(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t data);
    void queueLiveCreation(CreateRequest request);
    // A live creation still waiting its turn, and the request that takes its place.
    bool hasQueuedLiveCreation(std::uint32_t aircraftId) const;
    void replaceQueuedLiveCreation(const CreateRequest& request);
    void queueStaticCreation(CreateRequest request);
    void queueRemoval(std::uint32_t objectId);
    // Takes a creation that has not left its queue yet out again; true when one was found.
    bool withdrawQueuedCreation(const std::string& callsign);
    // The same for a static aircraft, found by its id.
    bool withdrawQueuedStaticCreation(std::uint32_t aircraftId);

    // End of a run-loop cycle: this cycle's positions replace the outbox's, unless the
    // SimClient thread holds the mutex, in which case they are dropped.
    void endOfCycle();
    // Moves at most one removal every 10th cycle and one creation every 50th cycle into the
    // lists the next frame sends. True when it was a creation cycle and the live creation
    // queue was empty (the static parking may then check its own work).
    bool paceQueues(std::uint64_t cycle);

    // SimClient side, on every frame.
    void send();
    // Empties everything without sending.
    void discardAll();
    // Run-loop side, when the program closes: every queued removal goes with the next frame,
    // without the pacing. True while removals are still waiting to be sent.
    void releaseAllRemovals();
    bool removalsPending();

    // Counts for the status display and tests.
    std::size_t liveCreationQueueSize() const;
    std::size_t staticCreationQueueSize() const;
    std::size_t removalQueueSize() const;

private:
    void sendPositions();
    void sendClientEvents();
    void sendCreations();
    void sendRemovals();

    mutable std::mutex mutex_;
    std::vector<PositionRecord> runLoopPositions_;
    std::vector<PositionRecord> positions_;
    std::vector<ClientEventRecord> clientEvents_;
    std::vector<CreateRequest> creates_;
    std::vector<std::uint32_t> removes_;
    // Queues filled and paced by the run loop.
    std::deque<CreateRequest> liveCreationQueue_;
    std::deque<CreateRequest> staticCreationQueue_;
    std::deque<std::uint32_t> removalQueue_;
};

SimOutbox& gf_simOutbox();

} // namespace vorl
