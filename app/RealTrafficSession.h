#pragma once

namespace vorl {

class RtLink;

// The RealTraffic side of one running session: login, the two reader threads, the user position
// they query around, and the orderly end at closing down. One session exists between session
// set-up and closing down; a restart builds a new one.

// Logs in and starts both readers. A failure on the way (no login, no session, no first traffic
// answer) requests a stop with the restart it is worth instead of ending the program.
void gf_rtSessionSetUp();

// Every fifth second, and once in session set-up: the user position, the time shift and the
// radius in force go to the readers.
void gf_rtHandUserPosition();

// Periodic check from the run loops: the status icons follow the readers, and a session whose
// readers have both ended without a stop request is reported as a reader failure.
void gf_rtPeriodicCheck();

// Closing down: stop and wake both readers, wait for them to end, then log out.
void gf_rtCloseDown();

// The traffic radius now in force, nautical miles.
double gf_rtTrafficRadiusNm();

// The link of the running session, or nullptr outside a session.
RtLink* gf_rtLink();

} // namespace vorl
