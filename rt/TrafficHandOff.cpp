#include "rt/TrafficHandOff.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace vorl {

namespace {

double lf_medianDataTime(const std::vector<TrafficRecord>& batch) {
    std::vector<std::int64_t> times;
    times.reserve(batch.size());
    for (const auto& record : batch) times.push_back(record.dataTime);
    const std::size_t mid = times.size() / 2;
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(mid), times.end());
    const double upper = static_cast<double>(times[mid]);
    if (times.size() % 2 != 0) return upper;
    const double lower = static_cast<double>(*std::max_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(mid)));
    return (lower + upper) / 2.0;
}

} // namespace

void gf_setPlayoutTimes(std::vector<TrafficRecord>& batch, std::int32_t base, int delaySeconds) {
    if (batch.empty()) return;
    const double median = lf_medianDataTime(batch);
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    for (auto& record : batch) {
        const double offset = std::round((static_cast<double>(record.dataTime) - median) * 10.0) * 10.0;
        const double time = static_cast<double>(base) + delaySeconds * 100.0 + offset;
        record.playoutTime = static_cast<std::int32_t>(std::clamp(time, kMin, kMax));
    }
}

bool TrafficHandOff::offerLive(std::vector<TrafficRecord>& batch) {
    bool taken = false;
    {
        std::lock_guard lock(mutex_);
        if (live_.empty() && accepting_.load()) {
            live_.insert(live_.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
            taken = true;
        }
    }
    batch.clear();
    return taken;
}

void TrafficHandOff::pushBuffered(std::vector<TrafficRecord>& batch) {
    {
        std::lock_guard lock(mutex_);
        buffered_.insert(buffered_.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
    }
    batch.clear();
}

void TrafficHandOff::takeLive(std::vector<TrafficRecord>& out) {
    out.clear();
    std::lock_guard lock(mutex_);
    out.swap(live_);
}

void TrafficHandOff::takeBuffered(std::vector<TrafficRecord>& out) {
    out.clear();
    std::lock_guard lock(mutex_);
    out.swap(buffered_);
}

} // namespace vorl
