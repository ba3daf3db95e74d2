#pragma once
#include <cstdint>

#include "sim/LiveAircraft.h"
#include "sim/LiveMovement.h"

namespace vorl {

// The speed a live aircraft drives onto and off a stand.
double gf_standTaxiSpeedKt(AircraftCategory category);

// A taxiing aircraft has stopped (5 kt or less, within 35 m of where its data says it stands) at
// an airport with live parking. One that has just left a stand does not park again, unless it
// was only towed.
bool gf_stoppedWhereItMayPark(const LiveAircraft& aircraft, const MovementContext& context);

// A taxiing aircraft that has come to a stop where it reported standing: it takes a stand of
// the park airport when one fits there (`wide` searches farther and by the stand's history).
// True when it now drives onto a stand.
bool gf_try2Park(LiveAircraft& aircraft, const MovementContext& context, bool wide);

// The samples that take the aircraft from its last sample onto its stand, nose in.
void gf_drive2Stand(LiveAircraft& aircraft, const MovementContext& context);

// The leg onto the stand bends so that the aircraft arrives nose in.
void gf_planStandApproach(LiveAircraft& aircraft, const MovementContext& context);

// The end of the stream while driving onto a stand: true when it stands there now (parked and
// shut down); false when it has not reached the stand and taxis on.
bool gf_arriveAtStand(LiveAircraft& aircraft, const MovementContext& context);

// A new sample of a parked or arriving aircraft: whether it is taken. Samples of an aircraft
// standing on its stand are kept at the stand; samples that move away take it off the stand.
bool gf_standSample(LiveAircraft& aircraft, PositionSample& sample, std::int32_t cycle);

// Planning of an aircraft leaving its stand: the choice between pulling out and pushing back,
// then the steps of the pushback. True when the planning step was taken here.
bool gf_planStandDeparture(LiveAircraft& aircraft, const MovementContext& context);

// A new aircraft whose first sample stands on a stand is placed there at once, parked. Busy:
// the stands are being planned just now, ask again at the next cycle.
StandSearch gf_placeOnStandAtBirth(LiveAircraft& aircraft, const MovementContext& context);

} // namespace vorl
