#pragma once
#include <array>
#include <cstdint>

#include "common/AircraftCategory.h"

namespace vorl {

// Everything the movement code tunes per aircraft category lives here, so that the behaviour of
// a class of aircraft can be read and changed in one place. Rows are indexed by category:
// 0 Light, 1 Buzjets, 2 Large, 3 Heavy, 4 HighPerf, 5 Rotorcraft.
struct CategoryRow {
    double bankRateLimitDeg;  // per cycle
    double bankLimitDeg;
    double pitchRateLimitDeg; // per cycle
    double rotationSpeedKt;
    double turnScaleFactor;   // how much faster than the base rate a short leg may turn
    double turnShareFactor;   // share of a ground leg given to the turn itself
    // Choices of our own (the data feed says nothing about them):
    double baseTurnRateDegPerSec; // ground turn rate at taxi speed; big aircraft turn slowly
    double taxiSpeedKt;           // typical taxi speed used when a leg gives none
    double climbFpm;              // climb rate used when the samples give no usable altitude change
    double descentFpm;            // descent rate towards the runway when samples are level
};

inline constexpr std::array<CategoryRow, 6> kCategoryRows{{
    {0.035, 40, 0.01, 90, 5.0, 0.5, 25.0, 12, 700, 500},
    {0.0275, 35, 0.0085, 110, 4.5, 0.75, 20.0, 15, 2000, 800},
    {0.02, 30, 0.0075, 140, 4.0, 0.6, 15.0, 15, 2000, 750},
    {0.015, 20, 0.005, 150, 3.0, 0.5, 12.0, 14, 1800, 750},
    {0.1, 90, 0.03, 220, 4.5, 1.0, 30.0, 18, 4000, 1000},
    {0.06, 75, 0.03, 0, 5.0, 0.75, 30.0, 10, 800, 500},
}};

inline const CategoryRow& gf_categoryRow(AircraftCategory category) {
    return kCategoryRows.at(static_cast<std::uint32_t>(category));
}

// How long the phases around the runway last, in cycles, and the attitude at rotation (degrees,
// nose up). Our own choices: heavier aircraft flare, rotate and settle more slowly.
struct PhaseRow {
    int flareSlots;      // the flare's pitch change
    int touchdownSlots;  // the nose coming down after touchdown
    int takeOffSlots;    // from the start of the take-off to lift-off
    int rotationSlots;   // the pitch change of the rotation
    double rotationPitchDeg;
};

inline constexpr std::array<PhaseRow, 6> kPhaseRows{{
    {150, 100, 200, 150, 8.0},
    {200, 150, 250, 200, 9.0},
    {250, 200, 300, 250, 8.0},
    {300, 250, 350, 300, 7.5},
    {150, 100, 150, 100, 12.0},
    {100, 100, 100, 100, 3.0},
}};

inline const PhaseRow& gf_phaseRow(AircraftCategory category) {
    return kPhaseRows.at(static_cast<std::uint32_t>(category));
}

inline constexpr double kCyclesPerSecond = 100.0;
inline constexpr int kMinLegCycles = 25;            // never plan a leg shorter than a quarter second
inline constexpr double kSamePositionDeg = 1e-8;    // two samples this close are one position
inline constexpr double kMetresPerDegree = 111132.95;
inline constexpr double kStraightLegMaxDeg = 3.0;   // taxi course changes up to this are ignored
inline constexpr double kSplitLegMinDeg = 45.0;
inline constexpr double kCurveMaxDeg = 160.0;
inline constexpr double kSplitLegMinNm = 0.02699784017278618; // 50 m
inline constexpr double kSplitLegMaxKt = 43.0;
inline constexpr int kSplitLegMinCycles = 600;
inline constexpr double kTakeOffRollSpeedKt = 43.0;

} // namespace vorl
