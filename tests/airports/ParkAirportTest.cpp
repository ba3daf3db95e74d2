// The park airport: the user's list of park airports, choosing and leaving the airport, placing
// static aircraft one by one with the collision checks, and the max-park check.
#include <gtest/gtest.h>

#include "airports/AirportFileLocator.h"
#include "airports/ParkAirport.h"
#include "common/Log.h"
#include "tests/airports/AirportFileFixture.h"

using namespace vorl;
using namespace vorl::test;

namespace {

constexpr double kMetersPerDegree = 111194.9;
const LatLon kField{52.3, 4.76};

std::optional<LatLon> lf_lookup(std::string_view icao) {
    if (icao == "EHXX") return kField;
    if (icao == "EHYY") return LatLon{52.6, 4.76};
    return std::nullopt;
}

struct ParkingRig {
    ParkingRig() : list(f.dir / "airports" / "my_park_airports.txt", lf_lookup, [this](const std::string& t) { statuses.push_back(t); }) {
        std::string stands;
        for (int i = 0; i < 20; ++i)
            stands += standXml("S" + std::to_string(i + 1), i * 40.0, 25) +
                      fmt::format(R"(<opt reg="PH-{0:03}" airl="KLM" type="B738" day="2" hh="0:47" cs="KLM{0}"/></parkpos>)", i);
        f.write("airports/my_thirdparty/EHXX.xml", airportXml(stands));
        hooks.closestAirport = [](LatLon p) -> std::optional<NearAirport> { return NearAirport{"EHXX", kField, gf_distanceNm(p, kField)}; };
        hooks.hasAirportFile = [](std::string_view icao) { return gf_hasAirportFile(icao); };
        hooks.locateAirportFile = [](std::string_view icao) { return gf_locateAirportFile(icao); };
        hooks.plannerSettings = [this] { return settings; };
        hooks.world = [this](const NearAirport&) { return world; };
        hooks.liveAircraft = [this] { return world.live; };
        hooks.createStatic = [this](const PlannedPosition& p, const Stand& s, std::uint32_t id) {
            created.push_back({p.callsign, p.registration, p.stand, p.kind});
            (void)s;
            ids.push_back(id);
            return true;
        };
        hooks.removeStatic = [this](std::uint32_t objectId, std::uint32_t id) {
            removed.push_back(id);
            removedObjects.push_back(objectId);
        };
        hooks.status = [this](const std::string& t) { statuses.push_back(t); };
        hooks.clock = [] { return ParkingClock{2, 20, 10.0}; };
        settings.parkingPercentage = 50;
        world.halfWingspanNm = [](std::uint16_t) { return 17.0 * kMetersToNm; };
        world.category = [](std::uint16_t) { return 2; };
    }
    void placeAll(ParkAirport& park) {
        for (int i = 0; i < 100 && park.plannedCount() > 0; ++i) park.placeNextStatic();
    }

    AirportFilesFixture f;
    ParkAirportList list;
    ParkingHooks hooks;
    PlannerSettings settings;
    PlannerWorld world;
    std::vector<StaticAircraft> created;
    std::vector<std::uint32_t> ids, removed, removedObjects;
    std::vector<std::string> statuses;
};

} // namespace

TEST(ParkAirportList, SkipsBadAndDoubleLinesAndRemembersTheAirportOfTheUser) {
    AirportFilesFixture f;
    std::vector<std::string> statuses;
    ParkAirportList list(f.dir / "airports" / "my_park_airports.txt", lf_lookup, [&](const std::string& t) { statuses.push_back(t); });
    EXPECT_TRUE(list.read());
    EXPECT_TRUE(list.entries().empty());
    f.write("airports/my_park_airports.txt", "EHXX,D7,extra\nEHYY\nEHYY,B2\nLFPG\nEHXX, A1 \n");
    ASSERT_TRUE(list.read());
    ASSERT_EQ(list.entries().size(), 2u);
    EXPECT_EQ(list.entries()[0].icao.view(), "EHYY");
    EXPECT_EQ(list.entries()[1].reservedStand, "A1");
    EXPECT_EQ(statuses, std::vector<std::string>{"airport LFPG is unknown"});

    list.remember("EHXX", "B5");
    EXPECT_EQ(readFile(f.dir / "airports/my_park_airports.txt"), "EHXX,B5\nEHYY\n");
    list.remember("EHYY", "");
    EXPECT_EQ(readFile(f.dir / "airports/my_park_airports.txt"), "EHYY\nEHXX,B5\n");
}

TEST(ParkAirport, OnTheGroundItPlansAndPlacesWithoutNeighboursAndKeepsTheReservedStand) {
    ParkingRig rig;
    rig.f.write("airports/my_park_airports.txt", "EHXX,S1\n");
    rig.list.read();
    ParkAirport park(rig.list, rig.hooks, 11);
    park.chooseOnGround(kField, "S2");
    ASSERT_TRUE(park.isSet());
    EXPECT_EQ(park.reservedStand(), "S2") << "the stand the user stands at becomes the reserved one";
    rig.placeAll(park);
    ASSERT_FALSE(rig.created.empty());
    EXPECT_LE(rig.created.size(), 10u);
    for (const auto& a : rig.created) {
        EXPECT_NE(a.stand, 1u) << "reserved when the plan was made";
        EXPECT_NE(a.stand, 2u) << "the user stands there";
        for (const auto& b : rig.created) EXPECT_TRUE(a.stand == b.stand || (a.stand + 1 != b.stand && b.stand + 1 != a.stand));
    }
    EXPECT_EQ(park.staticCount(), rig.created.size());
    EXPECT_EQ(readFile(rig.f.dir / "airports/my_park_airports.txt"), "EHXX,S2\n") << "the user's stand is remembered";

    // Flying away beyond the range leaves the airport: all static aircraft removed.
    const LatLon away{kField.lat + 20.1 / 60.0, kField.lon};
    park.checkAirborne({kField.lat + 20.0 / 60.0 - 1e-6, kField.lon}, 3000, 20, 18000);
    EXPECT_TRUE(park.isSet()) << "20.0 nm is still in sight";
    park.checkAirborne(kField, 18500, 20, 18000);
    EXPECT_FALSE(park.isSet()) << "too high";
    EXPECT_EQ(rig.removed.size(), rig.created.size());
    EXPECT_TRUE(std::filesystem::exists(rig.f.dir / "airports/learned/stock/EHXX.xml"));
    park.checkAirborne(away, 3000, 20, 18000);
    EXPECT_FALSE(park.isSet());
}

TEST(ParkAirport, LiveAircraftNearAPlannedStandBlockItAndMaxParkRemovesStatics) {
    ParkingRig rig;
    ParkAirport park(rig.list, rig.hooks, 3);
    park.chooseOnGround(kField, "");
    ASSERT_GT(park.plannedCount(), 0u);
    // A live aircraft taxies to the stand next to every planned one: nothing can be placed.
    for (std::uint32_t s = 1; s <= 20; ++s) rig.world.live.push_back({"LIVE" + std::to_string(s), "", {}, s, false, 0, 0, 0});
    rig.placeAll(park);
    EXPECT_TRUE(rig.created.empty());

    rig.world.live.clear();
    rig.settings.parkingPercentage = 50; // wanted 10
    park.adjust(true);
    rig.placeAll(park);
    const std::size_t statics = park.staticCount();
    ASSERT_GE(statics, 5u);
    for (int i = 0; i < 6; ++i) rig.world.live.push_back({"P" + std::to_string(i), "", {}, 0, true, 0, 0, 0});
    bool liveRemoved = false;
    park.maxParkCheck(false, [&] { liveRemoved = true; });
    EXPECT_FALSE(liveRemoved) << "6 live parked stay within 10";
    EXPECT_EQ(park.staticCount(), 4u) << "statics make room";
}

// A static aircraft never stays behind: one that leaves before the simulator answered its creation
// is removed as soon as the answer comes, and one without a livery leaves its stand free.
TEST(ParkAirport, StaticAircraftLeavingBeforeTheirCreationIsAnsweredLeaveNoGhost) {
    ParkingRig rig;
    ParkAirport park(rig.list, rig.hooks, 5);
    park.chooseOnGround(kField, "");
    rig.placeAll(park);
    ASSERT_GE(rig.ids.size(), 2u);
    park.onStaticCreated(rig.ids[0], 501);
    park.leave();
    // The answered one goes by its object, the unanswered one by its id alone.
    EXPECT_EQ(rig.removedObjects.front(), 501u);
    EXPECT_EQ(std::count(rig.removedObjects.begin(), rig.removedObjects.end(), 0u), static_cast<long>(rig.ids.size() - 1));
    rig.removedObjects.clear();
    park.onStaticCreated(rig.ids[1], 502);
    EXPECT_EQ(rig.removedObjects, std::vector<std::uint32_t>{502}) << "the late answer is removed at once";

    // Without a livery nothing is created and nothing holds the stand.
    ParkingRig bare;
    bare.hooks.createStatic = [](const PlannedPosition&, const Stand&, std::uint32_t) { return false; };
    ParkAirport empty(bare.list, bare.hooks, 5);
    empty.chooseOnGround(kField, "");
    bare.placeAll(empty);
    EXPECT_EQ(empty.staticCount(), 0u);
}

// An airport chosen in the air does not know the user's stand yet; once the aircraft stands
// there, no static aircraft is planned on it.
TEST(ParkAirport, TheUsersStandAfterLandingIsKeptFree) {
    ParkingRig rig;
    rig.settings.parkingPercentage = 100;
    rig.f.write("airports/my_park_airports.txt", "EHXX\n");
    rig.list.read();
    ParkAirport park(rig.list, rig.hooks, 7);
    park.checkAirborne(kField, 3000, 20, 18000);
    ASSERT_TRUE(park.isSet());
    park.setUserStand("S3");
    park.adjust(true);
    rig.created.clear();
    rig.placeAll(park);
    ASSERT_FALSE(rig.created.empty());
    for (const auto& a : rig.created) EXPECT_NE(a.stand, 3u);
}

// A static aircraft gives way to an aircraft coming within its stand's reach, one per call, and
// never to itself.
TEST(ParkAirport, StaticAircraftGiveWayToWhatComesTooClose) {
    ParkingRig rig;
    ParkAirport park(rig.list, rig.hooks, 9);
    park.chooseOnGround(kField, "");
    rig.placeAll(park);
    ASSERT_GE(rig.ids.size(), 2u);
    for (std::size_t i = 0; i < rig.ids.size(); ++i) park.onStaticCreated(rig.ids[i], 600 + static_cast<std::uint32_t>(i));
    const StaticAircraft first = rig.created.front();
    const Stand* stand = park.stand(first.stand);
    ASSERT_NE(stand, nullptr);
    const LatLon onIt{stand->latitude, stand->longitude};
    EXPECT_FALSE(park.removeStaticNear(onIt, 0.0, first.callsign, first.callsign)) << "not by its own callsign";
    const LatLon farAway{stand->latitude + 0.01, stand->longitude};
    EXPECT_FALSE(park.removeStaticNear(farAway, 17.0 * kMetersToNm, "KLM999", "KLM999"));
    const std::size_t before = park.staticCount();
    EXPECT_TRUE(park.removeStaticNear(onIt, 17.0 * kMetersToNm, "KLM999", "KLM999"));
    EXPECT_EQ(park.staticCount(), before - 1);
    EXPECT_EQ(rig.removedObjects.back(), 600u);

    // A live aircraft that appears parked on a static one's stand: that static goes, with the
    // log's own line; the others stay.
    Log::instance().open(rig.f.dir / "Log.txt");
    const StaticAircraft second = rig.created[1];
    park.parkLiveOver(second.stand, "KLM888");
    Log::instance().close();
    EXPECT_EQ(park.staticCount(), before - 2);
    EXPECT_EQ(rig.removedObjects.back(), 601u);
    const std::string expected = fmt::format("{:8}: {:8} parks over static {} \x97 static will be removed",
                                             park.stand(second.stand)->id, "KLM888", second.callsign);
    EXPECT_NE(readFile(rig.f.dir / "Log.txt").find(expected), std::string::npos) << readFile(rig.f.dir / "Log.txt");

    // A live aircraft too large for the stand it stopped at takes it all the same; the static
    // there says why it goes.
    const StaticAircraft third = rig.created[2];
    const Stand* thirdStand = park.stand(third.stand);
    const LiveStandFind found = park.findLiveStand(
        {{thirdStand->latitude, thirdStand->longitude}, 40.0 * kMetersToNm, AircraftCategory::Heavy, false, "KLM777", "PH-BIG", {}});
    ASSERT_EQ(found.number, third.stand);
    EXPECT_TRUE(found.tooSmall);
    Log::instance().open(rig.f.dir / "Log.txt");
    park.makeWayForLive(found.number, "KLM777", found.tooSmall);
    Log::instance().close();
    EXPECT_NE(readFile(rig.f.dir / "Log.txt")
                  .find(fmt::format("{:8}: {:8} makes way for KLM777 parking at excluded stand {}", thirdStand->id, third.callsign,
                                    thirdStand->id)),
              std::string::npos)
        << readFile(rig.f.dir / "Log.txt");
}

// A live aircraft whose data stops at the user's stand does not park there, and not on a stand
// beside it either: it stays where its data is.
TEST(ParkAirport, ALiveAircraftAtTheUsersStandDoesNotPark) {
    ParkingRig rig;
    rig.f.write("airports/my_park_airports.txt", "EHXX,S5\n");
    rig.list.read();
    const auto query = [](double metersNorth) {
        return LiveStandQuery{{kField.lat + metersNorth / kMetersPerDegree, kField.lon}, 17.0 * kMetersToNm,
                              AircraftCategory::Large, true, "KLM77", "PH-ABC", {}};
    };
    {
        ParkAirport park(rig.list, rig.hooks, 11);
        park.chooseOnGround({kField.lat, kField.lon + 0.02}, ""); // on the apron, at no stand
        ASSERT_EQ(park.reservedStand(), "S5");
        EXPECT_EQ(park.findLiveStand(query(160.0)).number, 0u) << "S5: the reserved stand";
        const LiveStandFind other = park.findLiveStand(query(120.0));
        ASSERT_NE(other.number, 0u);
        EXPECT_EQ(park.stand(other.number)->id, "S4");
    }
    ParkAirport park(rig.list, rig.hooks, 11);
    park.chooseOnGround(kField, "S2");
    EXPECT_EQ(park.findLiveStand(query(40.0)).number, 0u) << "S2: the user stands there";
}
