#include "sim/SimOutbox.h"

#include <algorithm>

#include "common/Log.h"
#include "common/TimeStamp.h"
#include "sim/SimIds.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

using simconnect::failed;

bool lf_takeByCallsign(std::deque<CreateRequest>& queue, const std::string& callsign) {
    const auto found =
        std::find_if(queue.begin(), queue.end(), [&](const CreateRequest& r) { return r.callsign == callsign; });
    if (found == queue.end()) return false;
    queue.erase(found);
    return true;
}

} // namespace

void SimOutbox::queuePosition(std::uint32_t objectId, const AiPositionBlock& block) {
    runLoopPositions_.push_back({block, objectId});
}

void SimOutbox::queueClientEvent(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t data) {
    std::lock_guard lock(mutex_);
    queueClientEventLocked(objectId, eventId, data);
}

void SimOutbox::queueClientEventLocked(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t data) {
    clientEvents_.push_back({objectId, eventId, data});
}

void SimOutbox::queueLiveCreation(CreateRequest request) { liveCreationQueue_.push_back(std::move(request)); }

bool SimOutbox::hasQueuedLiveCreation(std::uint32_t aircraftId) const {
    return std::any_of(liveCreationQueue_.begin(), liveCreationQueue_.end(),
                       [&](const CreateRequest& r) { return r.aircraftId == aircraftId; });
}

void SimOutbox::replaceQueuedLiveCreation(const CreateRequest& request) {
    for (CreateRequest& r : liveCreationQueue_)
        if (r.aircraftId == request.aircraftId) r = request;
}

void SimOutbox::queueStaticCreation(CreateRequest request) { staticCreationQueue_.push_back(std::move(request)); }

void SimOutbox::queueRemoval(std::uint32_t objectId) { removalQueue_.push_back(objectId); }

bool SimOutbox::withdrawQueuedCreation(const std::string& callsign) {
    return lf_takeByCallsign(liveCreationQueue_, callsign) || lf_takeByCallsign(staticCreationQueue_, callsign);
}

bool SimOutbox::withdrawQueuedStaticCreation(std::uint32_t aircraftId) {
    const auto found = std::find_if(staticCreationQueue_.begin(), staticCreationQueue_.end(),
                                    [&](const CreateRequest& r) { return r.aircraftId == aircraftId; });
    if (found == staticCreationQueue_.end()) return false;
    staticCreationQueue_.erase(found);
    return true;
}

void SimOutbox::endOfCycle() {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (lock.owns_lock()) positions_.swap(runLoopPositions_);
    // Either way the run loop starts the next cycle with an empty buffer: positions are never
    // sent twice, and a busy frame keeps the previous complete set.
    runLoopPositions_.clear();
}

bool SimOutbox::paceQueues(std::uint64_t cycle) {
    if (cycle % 10 == 0 && !removalQueue_.empty()) {
        std::lock_guard lock(mutex_);
        removes_.push_back(removalQueue_.front());
        removalQueue_.pop_front();
    }
    if (cycle % 50 != 0) return false;
    std::deque<CreateRequest>* source = nullptr;
    if (!liveCreationQueue_.empty()) source = &liveCreationQueue_;
    else if (!staticCreationQueue_.empty()) source = &staticCreationQueue_;
    if (source) {
        std::lock_guard lock(mutex_);
        creates_.push_back(std::move(source->front()));
        source->pop_front();
    }
    return source != &liveCreationQueue_;
}

void SimOutbox::discardAll() {
    std::lock_guard lock(mutex_);
    positions_.clear();
    clientEvents_.clear();
    creates_.clear();
    removes_.clear();
}

void SimOutbox::send() {
    if (gf_simSession().simConnectError.load()) {
        discardAll();
        return;
    }
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    sendPositions();
    sendClientEvents();
    sendCreations();
    sendRemovals();
}

void SimOutbox::sendPositions() {
    SimSession& session = gf_simSession();
    const std::uint32_t userId = session.userObjectId.load();
    for (PositionRecord& record : positions_) {
        if (record.objectId <= userId) continue;
        session.backend()->setDataOnSimObject(session.handle(), simid::kDefAiPosition, record.objectId, 0, 0,
                                              sizeof(AiPositionBlock), &record.block);
    }
    positions_.clear();
}

void SimOutbox::sendClientEvents() {
    SimSession& session = gf_simSession();
    SimBackend& backend = *session.backend();
    for (const ClientEventRecord& event : clientEvents_) {
        // Flaps only move while the simulator's AI does not hold the controls.
        const bool flaps = event.eventId == simid::kFlapsSet;
        if (flaps) backend.aiReleaseControl(session.handle(), event.objectId, simid::kReqReleaseControl);
        if (failed(backend.transmitClientEvent(session.handle(), event.objectId, event.eventId, event.data,
                                               simid::kGroup, 0))) {
            gf_simStatus(fmt::format("SimConnect TransmitClientEvent: {} fails", event.eventId), true);
        } else if (flaps) {
            backend.aiReleaseControl(session.handle(), event.objectId, simid::kReqReleaseControl);
        }
    }
    clientEvents_.clear();
}

void SimOutbox::sendCreations() {
    SimSession& session = gf_simSession();
    SimBackend& backend = *session.backend();
    for (const CreateRequest& request : creates_) {
        if (session.simConnectError.load()) break;
        if (failed(backend.aiCreateNonAtcAircraft(session.handle(), request.liveryTitle.c_str(),
                                                  request.callsign.c_str(), request.initPosition,
                                                  simid::kReqCreate))) {
            logImportant("! Simcon call to create ac in sim failed, hexid:{}, liv: '{}', callsign: {})",
                         request.aircraftId, request.liveryTitle, request.callsign);
            raiseRequestError();
            continue;
        }
        simconnect::DWORD packetId = 0;
        if (failed(backend.getLastSentPacketId(session.handle(), &packetId))) logImportant("GetLastSentPacketID");
        session.pendingCreations.push_back({packetId, request.aircraftId, request.callsign});
        session.countPendingCreations();
    }
    creates_.clear();
}

void SimOutbox::sendRemovals() {
    SimSession& session = gf_simSession();
    const std::uint32_t userId = session.userObjectId.load();
    for (const std::uint32_t objectId : removes_) {
        if (session.simConnectError.load()) break;
        if (objectId <= userId) {
            logImportant("SimConnect call to remove ac with objectid {}", objectId);
            continue;
        }
        if (failed(session.backend()->aiRemoveObject(session.handle(), objectId, simid::kReqRemove))) {
            logImportant("{} !SimConnect call to remove AI ac from sim failed, id {}?", gf_nowText(), objectId);
            raiseRequestError();
        }
    }
    removes_.clear();
}

std::size_t SimOutbox::liveCreationQueueSize() const { return liveCreationQueue_.size(); }
std::size_t SimOutbox::staticCreationQueueSize() const { return staticCreationQueue_.size(); }
std::size_t SimOutbox::removalQueueSize() const { return removalQueue_.size(); }

void SimOutbox::releaseAllRemovals() {
    std::lock_guard lock(mutex_);
    removes_.insert(removes_.end(), removalQueue_.begin(), removalQueue_.end());
    removalQueue_.clear();
}

bool SimOutbox::removalsPending() {
    std::lock_guard lock(mutex_);
    return !removes_.empty() || !removalQueue_.empty();
}

SimOutbox& gf_simOutbox() {
    static SimOutbox outbox;
    return outbox;
}

} // namespace vorl
