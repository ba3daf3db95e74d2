#pragma once
#include "rt/TrafficRecord.h"
#include "sim/PositionSample.h"

namespace vorl {

// The position part of a traffic record as a sample of the aircraft's stream.
PositionSample gf_sampleOf(const TrafficRecord& record);

// Whether a new record of a known aircraft adds nothing but noise: it repeats the last one too
// soon, its speed jumps by a factor of ten (a glitch of the feed), or it continues a straight
// course so closely that the movement between the two is already what the aircraft does.
// `pendingCourseChange` keeps straight-course records that end a hold.
bool gf_redundantRecord(const PositionSample& last, double lastDataTime, const TrafficRecord& record,
                        bool pendingCourseChange);

} // namespace vorl
