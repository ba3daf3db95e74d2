#include <algorithm>

#include "SimTestSupport.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "sim/AircraftControls.h"
#include "sim/AircraftRemoval.h"
#include "sim/SimIds.h"
#include "sim/SimInbox.h"
#include "sim/SimSession.h"

using namespace vorl;
using namespace vorl::test;
using standin::SimStandInConfig;

namespace {

std::vector<SimMessage> lf_drainKind(SimMessageKind kind) {
    std::vector<SimMessage> found;
    for (const SimMessage& m : gf_simInbox().drain())
        if (m.kind == kind) found.push_back(m);
    return found;
}

std::vector<std::string> lf_eventNames(const std::vector<nlohmann::json>& transmits, std::uint32_t objectId) {
    std::vector<std::string> names;
    for (const auto& t : transmits)
        if (t.at("objectId") == objectId) names.push_back(t.at("event").get<std::string>());
    return names;
}

} // namespace

class OutboxTest : public SimLinkTest {
protected:
    // Creates one live aircraft and runs until the simulator has identified it.
    std::uint32_t createLive(const std::string& callsign, std::uint32_t aircraftId) {
        gf_simOutbox().queueLiveCreation(makeCreateRequest(callsign, aircraftId));
        std::uint32_t objectId = 0;
        for (int i = 0; i < 120 && objectId == 0; ++i) {
            cycle();
            for (const SimMessage& m : gf_simInbox().drain())
                if (m.kind == SimMessageKind::LiveCreated && m.aircraftId == aircraftId) objectId = m.objectId;
        }
        return objectId;
    }
};

TEST_F(OutboxTest, CreationsLeaveOneEvery50CyclesAndRemovalsOneEvery10) {
    connect();
    for (const char* callsign : {"KLM1", "KLM2", "KLM3"})
        gf_simOutbox().queueLiveCreation(makeCreateRequest(callsign, 0x484c00u + static_cast<unsigned>(callsign[3])));
    std::vector<std::size_t> createdAfter;
    for (int i = 0; i < 150; ++i) {
        cycle();
        createdAfter.push_back(calls("AICreateNonATCAircraft").size());
    }
    EXPECT_EQ(createdAfter[0], 1u);
    EXPECT_EQ(createdAfter[49], 1u);
    EXPECT_EQ(createdAfter[50], 2u);
    EXPECT_EQ(createdAfter[99], 2u);
    EXPECT_EQ(createdAfter[100], 3u);
    EXPECT_EQ(createdAfter[149], 3u);
    ASSERT_TRUE(waitUntil([&] { return standIn->objects().size() == 3; }));

    for (const auto& object : standIn->objects()) gf_simOutbox().queueRemoval(object.id);
    std::vector<std::size_t> removedAfter;
    for (int i = 0; i < 30; ++i) {
        cycle();
        removedAfter.push_back(calls("AIRemoveObject").size());
    }
    EXPECT_EQ(removedAfter[9], 1u);  // cycle 150
    EXPECT_EQ(removedAfter[19], 2u); // cycle 160
    EXPECT_EQ(removedAfter[29], 3u); // cycle 170
    EXPECT_EQ(lf_drainKind(SimMessageKind::ObjectRemoved).size(), 3u);
}

TEST_F(OutboxTest, ACreatedAircraftIsFrozenAndReported) {
    connect();
    const std::uint32_t objectId = createLive("KLM1", 0x484c5a);
    ASSERT_NE(objectId, 0u);
    const auto object = standIn->object(objectId);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->tailNumber, "KLM1");
    EXPECT_EQ(object->title, kA320Title);
    cycle(); // the freeze events go out with the next frame
    const auto transmits = calls("TransmitClientEvent");
    EXPECT_EQ(lf_eventNames(transmits, objectId),
              (std::vector<std::string>{"FREEZE_LATITUDE_LONGITUDE_SET", "FREEZE_ALTITUDE_SET", "FREEZE_ATTITUDE_SET"}));
    for (const auto& t : transmits) EXPECT_EQ(t.at("data"), 1);
    const auto frozen = standIn->object(objectId);
    EXPECT_TRUE(frozen->frozenLatLon && frozen->frozenAltitude && frozen->frozenAttitude);
    EXPECT_TRUE(frozen->released);
    EXPECT_TRUE(gf_simSession().pendingCreations.empty());
}

TEST_F(OutboxTest, AHelicopterIsIdentifiedLikeAnAeroplane) {
    SimStandInConfig config;
    config.liveryTitles = {kA320Title};
    config.helicopterTitles = {"H145 ADAC"};
    connect(config);
    gf_simOutbox().queueLiveCreation(makeCreateRequest("DHXXX", 0x3c0001, "H145 ADAC"));
    std::uint32_t objectId = 0;
    for (int i = 0; i < 120 && objectId == 0; ++i) {
        cycle();
        for (const SimMessage& m : gf_simInbox().drain())
            if (m.kind == SimMessageKind::LiveCreated && m.aircraftId == 0x3c0001u) objectId = m.objectId;
    }
    ASSERT_NE(objectId, 0u);
    EXPECT_EQ(standIn->object(objectId)->category, "Helicopter");
    cycle();
    EXPECT_TRUE(standIn->object(objectId)->frozenLatLon);
    gf_simOutbox().queueRemoval(objectId);
    std::vector<SimMessage> removed;
    for (int i = 0; i < 20 && removed.empty(); ++i) {
        cycle();
        removed = lf_drainKind(SimMessageKind::ObjectRemoved);
    }
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].objectId, objectId);
}

TEST_F(OutboxTest, StaticAircraftGetTheirOwnMessageKind) {
    connect();
    gf_simOutbox().queueStaticCreation(makeCreateRequest("PH-BXA", 512));
    std::vector<SimMessage> created;
    for (int i = 0; i < 60 && created.empty(); ++i) {
        cycle();
        created = lf_drainKind(SimMessageKind::StaticCreated);
    }
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].aircraftId, 512u);
    EXPECT_EQ(created[0].b, 0.0);
}

TEST_F(OutboxTest, LiveCreationsGoBeforeStaticOnes) {
    connect();
    gf_simOutbox().queueStaticCreation(makeCreateRequest("PH-BXA", 512));
    gf_simOutbox().queueLiveCreation(makeCreateRequest("KLM1", 0x484c5a));
    cycle();
    ASSERT_EQ(calls("AICreateNonATCAircraft").size(), 1u);
    EXPECT_EQ(calls("AICreateNonATCAircraft")[0].at("tail"), "KLM1");
}

TEST_F(OutboxTest, AnUninstalledLiveryComesBackAsCreateFailed) {
    connect();
    gf_simOutbox().queueLiveCreation(makeCreateRequest("KLM7", 0x484c77, "Not Installed Livery"));
    // The simulator answers a few frames after the call.
    std::vector<SimMessage> failed;
    for (int i = 0; i < 20 && failed.empty(); ++i) {
        cycle();
        failed = lf_drainKind(SimMessageKind::CreateFailed);
    }
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].aircraftId, 0x484c77u);
    EXPECT_TRUE(gf_simSession().pendingCreations.empty());
    EXPECT_FALSE(gf_run().stopRequested());
}

TEST_F(OutboxTest, ACreateFailureWithAnUnknownSendIdPostsNothing) {
    connect();
    standIn->sendException(simconnect::ExceptionId::CreateObjectFailed, 99999, 1);
    cycle();
    EXPECT_TRUE(lf_drainKind(SimMessageKind::CreateFailed).empty());
}

TEST_F(OutboxTest, TooManyObjectsIsShown) {
    SimStandInConfig config;
    config.maxObjects = 1;
    connect(config);
    ASSERT_NE(createLive("KLM1", 0x484c5a), 0u);
    gf_simOutbox().queueLiveCreation(makeCreateRequest("KLM2", 0x484c5b));
    cycles(60);
    EXPECT_EQ(gf_status().status(), "SimConnect: too many objects (max 1000)");
}

TEST_F(OutboxTest, PositionsOfACycleMoveTheObjectOnTheNextFrame) {
    connect();
    const std::uint32_t objectId = createLive("KLM1", 0x484c5a);
    ASSERT_NE(objectId, 0u);
    AiPositionBlock block;
    block.latitude = 52.31;
    block.longitude = 4.77;
    block.altitude = 1200.0;
    block.heading = 1.0;
    gf_simOutbox().queuePosition(objectId, block);
    // The user's own object is never written.
    gf_simOutbox().queuePosition(gf_simSession().userObjectId.load(), block);
    const std::size_t before = calls("SetDataOnSimObject").size();
    cycle();
    EXPECT_EQ(calls("SetDataOnSimObject").size(), before + 1);
    const auto moved = standIn->object(objectId);
    EXPECT_DOUBLE_EQ(moved->lat, 52.31);
    EXPECT_DOUBLE_EQ(moved->altitudeFt, 1200.0);
    // A cycle without positions sends none: nothing is sent twice.
    cycle();
    EXPECT_EQ(calls("SetDataOnSimObject").size(), before + 1);
}

TEST_F(OutboxTest, FlapsAndThrottleAreSentOnlyWhenTheyChange) {
    connect();
    const std::uint32_t objectId = createLive("KLM1", 0x484c5a);
    ASSERT_NE(objectId, 0u);
    cycle();
    std::uint32_t throttle = kNoThrottleSent, flaps = kNoFlapsSent;
    const AiControlTarget target{objectId, AircraftCategory::Large, throttle, flaps};
    const std::size_t releasesBefore = calls("AIReleaseControl").size();
    gf_setFlaps(gf_simOutbox(), target, 2);
    gf_setFlaps(gf_simOutbox(), target, 2);
    gf_setThrottle(gf_simOutbox(), target, 3);
    gf_setThrottle(gf_simOutbox(), target, 3);
    gf_setFlaps(gf_simOutbox(), target, 5);
    cycle();
    const auto transmits = calls("TransmitClientEvent");
    std::vector<std::pair<std::string, int>> sent;
    for (const auto& t : transmits)
        if (t.at("objectId") == objectId && t.at("event") != "FREEZE_LATITUDE_LONGITUDE_SET" &&
            t.at("event") != "FREEZE_ALTITUDE_SET" && t.at("event") != "FREEZE_ATTITUDE_SET")
            sent.emplace_back(t.at("event").get<std::string>(), t.at("data").get<int>());
    EXPECT_EQ(sent, (std::vector<std::pair<std::string, int>>{{"FLAPS_SET", 10240}, {"THROTTLE_SET", 11468}}));
    // Flaps move only while the simulator's AI has let go: released before and after.
    EXPECT_EQ(calls("AIReleaseControl").size(), releasesBefore + 2);
    EXPECT_EQ(flaps, 2u);
    EXPECT_EQ(throttle, 3u);
    EXPECT_NE(logText().find("gf_setFlaps: invalid flaps index"), std::string::npos);
}

TEST_F(OutboxTest, RotorcraftGetNoGearSpoilersOrFlaps) {
    connect();
    std::uint32_t throttle = kNoThrottleSent, flaps = kNoFlapsSent;
    const AiControlTarget heli{4242, AircraftCategory::Rotorcraft, throttle, flaps};
    gf_setGear(gf_simOutbox(), heli.objectId, heli.category, true);
    gf_setSpoilers(gf_simOutbox(), heli.objectId, heli.category, true);
    gf_setFlaps(gf_simOutbox(), heli, 1);
    gf_setThrottle(gf_simOutbox(), heli, 4);
    cycle();
    const auto transmits = calls("TransmitClientEvent");
    ASSERT_EQ(transmits.size(), 1u);
    EXPECT_EQ(transmits[0].at("event"), "THROTTLE_SET");
}

TEST_F(OutboxTest, TheShutDownSetParksTheAircraft) {
    connect();
    const std::uint32_t objectId = createLive("KLM1", 0x484c5a);
    ASSERT_NE(objectId, 0u);
    cycle();
    std::uint32_t throttle = 2, flaps = 1;
    const AiControlTarget target{objectId, AircraftCategory::Large, throttle, flaps};
    gf_queueShutDownSet(gf_simOutbox(), target, false, false, 9);
    cycle();
    auto object = standIn->object(objectId);
    const std::map<std::string, std::uint32_t> expected{
        {"THROTTLE_SET", 0},       {"FLAPS_SET", 0},         {"ENGINE_AUTO_SHUTDOWN", 0}, {"NAV_LIGHTS_SET", 0},
        {"BEACON_LIGHTS_SET", 0},  {"LANDING_LIGHTS_SET", 0}, {"TAXI_LIGHTS_SET", 0},     {"STROBES_SET", 0},
        {"LOGO_LIGHTS_SET", 1},    {"CABIN_LIGHTS_SET", 0}};
    for (const auto& [event, data] : expected) EXPECT_EQ(object->lastEvents[event], data) << event;

    gf_queueShutDownSet(gf_simOutbox(), target, true, false, 8);
    cycle();
    object = standIn->object(objectId);
    EXPECT_EQ(object->lastEvents["NAV_LIGHTS_SET"], 1u);
    EXPECT_EQ(object->lastEvents["CABIN_LIGHTS_SET"], 1u);
    gf_queueShutDownSet(gf_simOutbox(), target, true, true, 0);
    cycle();
    EXPECT_EQ(standIn->object(objectId)->lastEvents["CABIN_LIGHTS_SET"], 0u);
}

TEST_F(OutboxTest, ARemovalWhileStillQueuedNeverReachesTheSimulator) {
    connect();
    gf_simOutbox().queueLiveCreation(makeCreateRequest("KLM1", 0x484c5a));
    gf_simOutbox().queueLiveCreation(makeCreateRequest("KLM2", 0x484c5b));
    cycle(); // KLM1 leaves at cycle 0, KLM2 waits for cycle 50
    SimPresence queued{0x484c5b, 0, SimState::Adding2Sim, "KLM2", "KLM2    "};
    removeAircraftFromSim(gf_simOutbox(), queued);
    EXPECT_TRUE(queued.deleteNow);
    // KLM1 was sent already: its removal waits for the creation message.
    SimPresence sent{0x484c5a, 0, SimState::Adding2Sim, "KLM1", "KLM1    "};
    removeAircraftFromSim(gf_simOutbox(), sent);
    EXPECT_FALSE(sent.deleteNow);
    EXPECT_TRUE(sent.pendingRemoval);
    cycles(120);
    const auto creates = calls("AICreateNonATCAircraft");
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0].at("tail"), "KLM1");
}

TEST_F(OutboxTest, RemovingAnActiveAircraftReleasesItAndComesBackAsObjectRemoved) {
    connect();
    const std::uint32_t objectId = createLive("KLM1", 0x484c5a);
    ASSERT_NE(objectId, 0u);
    SimPresence active{0x484c5a, objectId, SimState::Active, "KLM1", "KLM1    "};
    int released = 0;
    removeAircraftFromSim(gf_simOutbox(), active, [&](const SimPresence&) { ++released; });
    removeAircraftFromSim(gf_simOutbox(), active, [&](const SimPresence&) { ++released; });
    EXPECT_EQ(active.simState, SimState::RemovingFromSim);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(gf_simOutbox().removalQueueSize(), 1u);
    std::vector<SimMessage> removed;
    for (int i = 0; i < 20 && removed.empty(); ++i) {
        cycle();
        removed = lf_drainKind(SimMessageKind::ObjectRemoved);
    }
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].objectId, objectId);
    EXPECT_FALSE(standIn->object(objectId));

    SimPresence buffered{0x484c99, 0, SimState::Buffer, "KLM9", "KLM9    "};
    removeAircraftFromSim(gf_simOutbox(), buffered);
    EXPECT_TRUE(buffered.deleteNow);
}

TEST_F(OutboxTest, ForeignAircraftAreLoggedButNotReported) {
    connect();
    standIn->spawnForeignAircraft("AS-GEN", 52.309, 4.762, 0.0);
    standIn->spawnForeignAircraft("AS-GEN", 52.310, 4.763, 0.0);
    standIn->spawnForeignAircraft("PH-OTHER", 52.311, 4.764, 0.0);
    cycles(21);
    const std::string log = logText();
    const auto first = log.find("Spawned by Asobo");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("Spawned by Asobo", first + 1), std::string::npos);
    EXPECT_NE(log.find("just spawned, but not by VORL"), std::string::npos);
    EXPECT_NE(log.find("callsign 'PH-OTHER'"), std::string::npos);
    const auto messages = gf_simInbox().drain();
    EXPECT_TRUE(std::none_of(messages.begin(), messages.end(),
                             [](const SimMessage& m) { return m.kind == SimMessageKind::LiveCreated; }));
}

TEST_F(OutboxTest, KnownAircraftInRangeReportTheirGroundData) {
    connect();
    const std::uint32_t objectId = createLive("KLM1", 0x484c5a);
    ASSERT_NE(objectId, 0u);
    // Simulator traffic with a starred ATC ID is never reported.
    standIn->spawnForeignAircraft("PH-ABC*", 52.309, 4.762, 0.0);
    gf_simInbox().clear();
    cycles(40);
    std::vector<SimMessage> ground = lf_drainKind(SimMessageKind::GroundData);
    ASSERT_FALSE(ground.empty());
    for (const SimMessage& m : ground) {
        EXPECT_EQ(m.objectId, objectId);
        EXPECT_EQ(m.aircraftId, 1u); // on the ground
        EXPECT_DOUBLE_EQ(m.a, -11.0);
        EXPECT_DOUBLE_EQ(m.b, 0.0);
    }
}

TEST_F(OutboxTest, TheStaticAttitudeArrivesAsItsOwnMessage) {
    connect();
    const std::uint32_t objectId = createLive("KLM1", 0x484c5a);
    ASSERT_NE(objectId, 0u);
    requestStaticAttitude(objectId);
    ASSERT_TRUE(standIn->waitDispatched());
    const auto attitude = lf_drainKind(SimMessageKind::StaticAttitude);
    ASSERT_EQ(attitude.size(), 1u);
    EXPECT_EQ(attitude[0].objectId, objectId);
    EXPECT_GT(attitude[0].a, 1.0);
}
