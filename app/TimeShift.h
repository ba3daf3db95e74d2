#pragma once

namespace vorl {

inline constexpr int kMaxTimeShiftMinutes = 20160; // two weeks

// Shifts the traffic picture into the past by whole minutes (0 to two weeks); readers use the
// current shift in their queries.
void gf_setTimeShift(int minutes, bool quiet);
int gf_timeShiftMinutes();

// The shift the three time-shift settings ask for; re-read from the file at every start.
void gf_applyTimeShiftSettings();

} // namespace vorl
