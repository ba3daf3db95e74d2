#include "rt/TrafficReader.h"

#include <cmath>

#include <fmt/format.h>

namespace vorl {

TrafficReader::TrafficReader(const RtConfig& config, TrafficHooks hooks)
    : RtConnection("aucurl_"), config_(config), hooks_(std::move(hooks)), trafficHandle_(gf_makeCurlHandle("trcurl_")),
      parkedHandle_(gf_makeCurlHandle("ptcurl_")) {
    trafficBuffer_.reserve(16384);
    received_.reserve(384);
}

void TrafficReader::reset() {
    RtConnection::reset();
    parkedItem_ = nlohmann::json();
    trafficHandle_ = gf_makeCurlHandle("trcurl_");
    parkedHandle_ = gf_makeCurlHandle("ptcurl_");
    trafficBuffer_.clear();
    dataTime_ = 0.0;
    bufferedCallsigns.clear();
    bufferedHexIds.clear();
    bufferedStart.store(false);
    received_.clear();
    receivedCount_.store(0);
    answerCount_.store(0);
    qnh.store(1013);
    {
        std::lock_guard lock(positionMutex_);
        groundElevationValid_ = false;
        lastRadius_ = -1.0;
        lastBoxPosition_ = {0.0, 0.0};
        liveBox_ = TrafficBox{};
    }
    firstRequest_.store(true);
    announceBlocked_.store(true);
    announcedBlockValue_.clear();
    rrl = 2000;
    guid.clear();
}

void TrafficReader::setUserPosition(LatLon position) {
    std::lock_guard lock(positionMutex_);
    userPosition_ = position;
}

LatLon TrafficReader::userPosition() const {
    std::lock_guard lock(positionMutex_);
    return userPosition_;
}

void TrafficReader::setGroundElevation(double feet, bool valid) {
    std::lock_guard lock(positionMutex_);
    groundElevation_ = feet;
    groundElevationValid_ = valid;
}

TrafficBox TrafficReader::liveBox() const {
    std::lock_guard lock(positionMutex_);
    return liveBox_;
}

void TrafficReader::updateTrafficBox(double radiusNm) {
    std::lock_guard lock(positionMutex_);
    const LatLon user = userPosition_;
    if (std::abs(user.lat) <= 0.0001 && std::abs(user.lon) <= 0.0001) return;
    if (std::abs(user.lat - lastBoxPosition_.lat) < 0.00015 && std::abs(user.lon - lastBoxPosition_.lon) < 0.00015 &&
        radiusNm == lastRadius_)
        return;
    lastBoxPosition_ = user;
    lastRadius_ = radiusNm;
    const double halfHeight = radiusNm * 1.852 / 111.2;
    liveBox_.top = user.lat + halfHeight;
    liveBox_.bottom = user.lat - halfHeight;
    liveBox_.left = gf_destinationPoint(user, -90.0, radiusNm * kFeetPerNm).lon;
    liveBox_.right = gf_destinationPoint(user, 90.0, radiusNm * kFeetPerNm).lon;
}

std::string TrafficReader::trafficBody(const TrafficBox& box, const char* queryType) const {
    return fmt::format("GUID={}&top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}&querytype={}&toffset={}", guid,
                       box.top, box.bottom, box.left, box.right, queryType, settings_.timeShiftMinutes);
}

void TrafficReader::handOffBatch(int delaySeconds) {
    if (received_.empty()) {
        dataTime_ = 0.0;
        return;
    }
    const std::int32_t base = hooks_.playoutClock ? hooks_.playoutClock() : 0;
    gf_setPlayoutTimes(received_, base, delaySeconds);
    if (delaySeconds != 30)
        handOff_.pushBuffered(received_);
    else
        handOff_.offerLive(received_);
    received_.clear();
}

} // namespace vorl
