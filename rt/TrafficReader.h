#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/Fnv1a.h"
#include "common/Geodesy.h"
#include "rt/RtConfig.h"
#include "rt/RtConnection.h"
#include "rt/TrafficHandOff.h"
#include "rt/TrafficHooks.h"
#include "rt/TrafficRecord.h"

namespace vorl {

struct TrafficBox {
    double top = 52.44;
    double bottom = 52.17;
    double left = 4.54;
    double right = 4.98;
};

// Throws std::runtime_error "lalo: ..." for coordinates that cannot be a real position.
void gf_checkLatLon(double lat, double lon);

// The live, buffered and parked traffic queries and their records ("Traffic Reader" thread).
class TrafficReader : public RtConnection {
public:
    static constexpr const char* kName = "Traffic Reader";
    static constexpr std::int32_t kEnded = 9999;

    TrafficReader(const RtConfig& config, TrafficHooks hooks);

    void reset() override;

    // Simulator side: the user position (both coordinates as one unit) and the ground reference.
    void setUserPosition(LatLon position);
    LatLon userPosition() const;
    void setGroundElevation(double feet, bool valid);

    // Run loop: recomputes the live box when the position or the radius has changed.
    void updateTrafficBox(double radiusNm);
    TrafficBox liveBox() const;

    // The thread body: buffered start, then live rounds until stop; returns 9999 when stopped on
    // request, else the failing API status (0 when there is no session).
    std::int32_t gf_trafficReader();

    // Planner thread: fetches the parked aircraft within 3 NM of the airport. True with
    // parkedRecords() filled, false on time-out or failure; throws for statuses 400 and 403.
    bool requestParkedTraffic(LatLon airport, int maxAgeHalfHours, bool keepAll);
    const std::vector<ParkedRecord>& parkedRecords() const { return parked_; }

    // Parses and filters every aircraft of an answer's "data" into received(); the members are
    // moved out. Returns the number of records kept.
    std::size_t processLiveData(nlohmann::json& data);

    // Takes this round's copy of the settings; the loop calls it at the start of every round.
    void refreshSettings();

    // Parse the record just moved into `reply` / `parkedItem`; false when it was rejected.
    bool processLine();
    bool processParkedTrafficLine(const std::string& key);

    TrafficHandOff& handOff() { return handOff_; }
    std::atomic<std::int32_t> qnh{1013};
    std::atomic<bool> bufferedStart{false};
    std::atomic<bool> loopRunning{false};
    std::uint32_t receivedCount() const { return receivedCount_.load(); }
    // Traffic answers accepted since the reset, empty ones included: an empty region still
    // proves that the link works.
    std::uint32_t answerCount() const { return answerCount_.load(); }

    // The callsigns and hex ids seen during the buffered start; the live side takes them over
    // and then clears `bufferedStart`.
    std::unordered_set<std::string, Fnv1aHash, std::equal_to<>> bufferedCallsigns;
    std::unordered_set<std::uint32_t> bufferedHexIds;

    // Hands the received records off with a play-out delay in seconds (30 live, 0..24 buffered).
    void handOffBatch(int delaySeconds);
    std::vector<TrafficRecord>& received() { return received_; }

private:
    bool bufferedQuery(std::int32_t& status);
    // One live round; returns false when the loop must end with `status`.
    bool liveRound(std::int32_t& status);
    void parkedQuery();
    void processMembers(nlohmann::json& data);
    bool cleanCallsign(std::string& callsign, std::uint32_t hexId);
    std::string trafficBody(const TrafficBox& box, const char* queryType) const;

    RtConfig config_;
    TrafficHooks hooks_;
    TrafficSettings settings_; // this round's copy
    std::vector<ParkedRecord> parked_;
    std::atomic<bool> firstRequest_{true};
    mutable std::mutex positionMutex_;
    TrafficBox liveBox_;
    TrafficBox parkedBox_;
    CurlHandle trafficHandle_;
    CurlHandle parkedHandle_;
    std::string trafficBuffer_;
    nlohmann::json parkedItem_;
    std::vector<TrafficRecord> received_;
    LatLon lastBoxPosition_{0.0, 0.0};
    double lastRadius_ = -1.0;
    LatLon userPosition_{0.0, 0.0};
    double dataTime_ = 0.0;
    double groundElevation_ = 0.0;
    bool groundElevationValid_ = false;
    std::atomic<std::uint32_t> receivedCount_{0};
    std::atomic<std::uint32_t> answerCount_{0};
    std::atomic<std::int32_t> parkedStatus_{0};
    std::atomic<bool> parkedRequested_{false};
    std::atomic<bool> announceBlocked_{true};
    std::string announcedBlockValue_;
    TrafficHandOff handOff_;
};

} // namespace vorl
