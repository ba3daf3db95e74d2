#include <array>
#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "common/Geodesy.h"
#include "sim/SimIds.h"
#include "sim/SimRecords.h"
#include "standins/sim/InstalledTitles.h"
#include "standins/sim/SimStandIn.h"
#include "tests/support/TempFolder.h"

using namespace vorl;
using namespace vorl::standin;
using namespace vorl::simconnect;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

// What a dispatch handed over, copied out of the stand-in's buffers.
struct Received {
    std::vector<std::vector<char>> records;
    std::vector<DWORD> ids() const {
        std::vector<DWORD> all;
        for (const auto& r : records) all.push_back(reinterpret_cast<const Recv*>(r.data())->dwID);
        return all;
    }
    template <typename T> T as(std::size_t i) const {
        T value{};
        std::memcpy(&value, records.at(i).data(), sizeof(T));
        return value;
    }
};

void lf_collect(Recv* data, DWORD size, void* context) {
    auto* received = static_cast<Received*>(context);
    const auto* bytes = reinterpret_cast<const char*>(data);
    received->records.emplace_back(bytes, bytes + size);
}

struct Session {
    explicit Session(SimStandInConfig config) : standIn([&] {
        config.clock = ClockMode::Manual;
        config.keepTraceInMemory = true;
        return config;
    }()) {
        EXPECT_EQ(standIn.open(&handle, "test", nullptr, 0, nullptr, 0), kOk);
    }
    Received dispatch() {
        Received received;
        standIn.callDispatch(handle, lf_collect, &received);
        return received;
    }
    // `count` frames, everything they brought.
    Received frames(int count) {
        Received received;
        for (int i = 0; i < count; ++i) {
            standIn.advance(1000.0 / 30.0);
            standIn.callDispatch(handle, lf_collect, &received);
        }
        return received;
    }
    SimStandIn standIn;
    HANDLE handle = nullptr;
};

DataInitPosition lf_atSchiphol() { return {52.3080, 4.7600, 0.0, 0.0, 0.0, 90.0, 1, 0}; }

// Frames enough for every creation under way to be answered.
constexpr int kCreationWait = 10;

std::vector<DWORD> lf_withoutFrames(const std::vector<DWORD>& ids) {
    std::vector<DWORD> kept;
    for (DWORD id : ids)
        if (id != static_cast<DWORD>(RecvId::EventFrame)) kept.push_back(id);
    return kept;
}

} // namespace

TEST(InstalledTitles, ComeFromEveryAircraftCfgBelowTheFolder) {
    TempFolder temp;
    writeFile(temp / "Community/fsltl-a320/SimObjects/Airplanes/A320_AFR/aircraft.cfg",
              "[FLTSIM.0]\ntitle = \"FSLTL A320 Air France\" ; the livery\nmodel=\"\"\n"
              "[FLTSIM.1]\nTitle=FSLTL A320 KLM\n");
    writeFile(temp / "Community/other/SimObjects/Airplanes/B738/AIRCRAFT.CFG", "[fltsim.0]\ntitle=AIG B738 KLM\n");
    writeFile(temp / "Community/other/readme.txt", "title=not a livery\n");
    auto titles = gf_readInstalledTitles(temp / "Community");
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"AIG B738 KLM", "FSLTL A320 Air France", "FSLTL A320 KLM"}));
}

TEST(InstalledTitles, HelicoptersAreKnownByTheCategoryOfTheirFile) {
    TempFolder temp;
    writeFile(temp / "Community/heli/SimObjects/Airplanes/EC35/aircraft.cfg",
              "[General]\r\nCategory=helicopter ; rotorcraft\r\n[fltsim.0]\r\ntitle=EC135 Police\r\n"
              "[fltsim.1]\r\ntitle=EC135 ADAC\r\n");
    writeFile(temp / "Community/fixed/SimObjects/Airplanes/C172/aircraft.cfg",
              "[GENERAL]\ncategory = \"Airplane\"\n[FLTSIM.0]\ntitle = C172 Private\n"
              "[FLTSIM.1]\ncategory = Helicopter\ntitle = C172 Other\n");
    auto aircraft = gf_readInstalledAircraft(temp / "Community");
    std::sort(aircraft.begin(), aircraft.end(), [](const auto& a, const auto& b) { return a.title < b.title; });
    ASSERT_EQ(aircraft.size(), 4u);
    EXPECT_EQ(aircraft[0].title, "C172 Other");
    EXPECT_EQ(aircraft[0].category, "Airplane"); // the category belongs to [GENERAL] alone
    EXPECT_EQ(aircraft[1].category, "Airplane");
    EXPECT_EQ(aircraft[2].title, "EC135 ADAC");
    EXPECT_EQ(aircraft[2].category, "Helicopter");
    EXPECT_EQ(aircraft[3].category, "Helicopter");
}

TEST(UserScript, TheSchipholDepartureParksTaxiesAndFlies) {
    const UserScript script = UserScript::ehamDeparture();
    const UserPose parked = script.poseAt(60.0);
    EXPECT_TRUE(parked.onGround);
    EXPECT_EQ(parked.groundSpeedKt, 0.0);
    EXPECT_NEAR(parked.lat, 52.307613, 1e-9);
    const UserPose taxiing = script.poseAt(300.0);
    EXPECT_TRUE(taxiing.onGround);
    EXPECT_GT(taxiing.groundSpeedKt, 5.0);
    EXPECT_LT(taxiing.groundSpeedKt, 30.0);
    double highest = 0.0, fastest = 0.0, end = script.keyframes().back().atSeconds;
    for (double t = 0; t < end; t += 10.0) {
        highest = std::max(highest, script.poseAt(t).altitudeFt);
        if (!script.poseAt(t).onGround) fastest = std::max(fastest, script.poseAt(t).groundSpeedKt);
    }
    EXPECT_NEAR(highest, 10000.0, 100.0);
    EXPECT_GT(fastest, 240.0);
    // It ends on the ground on runway 36C, north of the threshold.
    const UserPose landed = script.poseAt(end + 60.0);
    EXPECT_TRUE(landed.onGround);
    EXPECT_GT(landed.lat, 52.30056);
    EXPECT_NEAR(landed.lon, 4.738, 0.01);
    // A second apart the aircraft never jumps far, whatever the leg.
    for (double t = 0; t < end; t += 1.0)
        ASSERT_LT(gf_distanceNm(script.poseAt(t).lat, script.poseAt(t).lon, script.poseAt(t + 1).lat,
                                script.poseAt(t + 1).lon),
                  0.2)
            << t;
}

TEST(SimStandIn, OpensWithTheApplicationNameOfItsVersion) {
    SimStandInConfig config;
    config.version = SimulatorVersion::Msfs2024;
    Session session(config);
    const Received received = session.dispatch();
    ASSERT_EQ(received.ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::Open)}));
    const auto open = received.as<RecvOpen>(0);
    EXPECT_STREQ(open.szApplicationName, "SunRise");
    EXPECT_EQ(open.dwSize, sizeof(RecvOpen));
}

TEST(SimStandIn, UnavailableSimulatorRefusesTheConnection) {
    SimStandInConfig config;
    config.available = false;
    SimStandIn standIn(config);
    HANDLE handle = nullptr;
    EXPECT_EQ(standIn.open(&handle, "test", nullptr, 0, nullptr, 0), kFail);
    EXPECT_EQ(standIn.callDispatch(handle, lf_collect, nullptr), kFail);
}

TEST(SimStandIn, DataBlocksFollowTheDefinition) {
    SimStandInConfig config;
    config.user = UserScript::fixed(52.0, 4.0, 3500.0, 90.0, false);
    config.userTitle = "A title";
    Session session(config);
    auto& s = session.standIn;
    s.addToDataDefinition(session.handle, 9, "TITLE", nullptr, DataType::StringV, 0, kUnused);
    s.addToDataDefinition(session.handle, 9, "Plane Altitude", "feet", DataType::Float64, 0, kUnused);
    s.addToDataDefinition(session.handle, 9, "Plane Heading degrees true", "degrees", DataType::Float64, 0, kUnused);
    s.addToDataDefinition(session.handle, 9, "SIM ON GROUND", "Bool", DataType::Int64, 0, kUnused);
    session.dispatch();
    s.requestDataOnSimObject(session.handle, 5, 9, kObjectIdUser, Period::Once, 0, 0, 0, 0);
    const Received received = session.dispatch();
    ASSERT_EQ(received.records.size(), 1u);
    const auto& bytes = received.records[0];
    const auto header = received.as<RecvSimObjectData>(0);
    EXPECT_EQ(header.dwRequestID, 5u);
    EXPECT_EQ(header.dwObjectID, s.userObjectId());
    // "A title" and its terminator take 8 bytes, a multiple of four; then the numbers.
    ASSERT_EQ(bytes.size(), kSimObjectDataHeaderSize + 8 + 8 + 8 + 8);
    EXPECT_STREQ(bytes.data() + kSimObjectDataHeaderSize, "A title");
    double altitude = 0, heading = 0;
    std::int64_t onGround = 1;
    std::memcpy(&altitude, bytes.data() + kSimObjectDataHeaderSize + 8, 8);
    std::memcpy(&heading, bytes.data() + kSimObjectDataHeaderSize + 16, 8);
    std::memcpy(&onGround, bytes.data() + kSimObjectDataHeaderSize + 24, 8);
    EXPECT_EQ(altitude, 3500.0);
    EXPECT_NEAR(heading, 90.0, 1e-9);
    EXPECT_EQ(onGround, 0);
}

TEST(SimStandIn, CreatesOnlyInstalledTitlesAndCountsSendIds) {
    SimStandInConfig config;
    config.liveryTitles = {"Known"};
    config.maxObjects = 1;
    Session session(config);
    auto& s = session.standIn;
    s.subscribeToSystemEvent(session.handle, 202, "ObjectAdded");
    session.dispatch();
    EXPECT_EQ(s.aiCreateNonAtcAircraft(session.handle, "Unknown", "KLM1", lf_atSchiphol(), 104), kOk);
    DWORD failedSend = 0;
    s.getLastSentPacketId(session.handle, &failedSend);
    Received received = session.frames(kCreationWait);
    ASSERT_EQ(received.ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::Exception)}));
    EXPECT_EQ(received.as<RecvException>(0).dwException, 22u);
    EXPECT_EQ(received.as<RecvException>(0).dwSendID, failedSend);

    s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM2", lf_atSchiphol(), 104);
    received = session.frames(kCreationWait);
    ASSERT_EQ(received.ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::AssignedObjectId),
                                                  static_cast<DWORD>(RecvId::EventObjectAddRemove)}));
    const auto added = received.as<RecvEventObjectAddRemove>(1);
    EXPECT_EQ(added.uEventID, 202u);
    EXPECT_EQ(added.eObjType, static_cast<DWORD>(SimObjectType::Aircraft));
    const auto object = s.object(added.dwData);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->altitudeFt, -11.0); // on the ground at Schiphol, below sea level

    s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM3", lf_atSchiphol(), 104);
    received = session.frames(kCreationWait);
    ASSERT_EQ(received.records.size(), 1u);
    EXPECT_EQ(received.as<RecvException>(0).dwException, 11u);
}

TEST(SimStandIn, CreationIsAnsweredSomeFramesLater) {
    SimStandInConfig config;
    config.liveryTitles = {"Known"};
    Session session(config);
    auto& s = session.standIn;
    s.subscribeToSystemEvent(session.handle, 202, "ObjectAdded");
    s.subscribeToSystemEvent(session.handle, 204, "Frame");
    s.addToDataDefinition(session.handle, 404, "ATC ID", nullptr, DataType::String32, 0, kUnused);
    session.dispatch();
    s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM2", lf_atSchiphol(), 104);
    // Nothing at once, and nothing on the next frame: the object does not exist yet.
    EXPECT_TRUE(session.dispatch().records.empty());
    EXPECT_EQ(session.frames(1).ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::EventFrame)}));
    EXPECT_TRUE(s.objects().empty());
    s.requestDataOnSimObjectType(session.handle, 101, 404, 10000, SimObjectType::Aircraft);
    EXPECT_EQ(session.dispatch().records.size(), 1u); // the user alone
    int frames = 1;
    Received received;
    while (lf_withoutFrames(received.ids()).empty() && frames < kCreationWait) {
        received = session.frames(1);
        ++frames;
    }
    EXPECT_GT(frames, 2);
    EXPECT_EQ(lf_withoutFrames(received.ids()), (std::vector<DWORD>{static_cast<DWORD>(RecvId::AssignedObjectId),
                                                                      static_cast<DWORD>(RecvId::EventObjectAddRemove)}));
    EXPECT_EQ(s.objects().size(), 1u);
}

TEST(SimStandIn, UnknownVariableNamesRaiseTheNameException) {
    Session session(SimStandInConfig{});
    auto& s = session.standIn;
    session.dispatch(); // the open record
    EXPECT_EQ(s.addToDataDefinition(session.handle, 9, "PLANE LATTITUDE", "degree", DataType::Float64, 0, kUnused),
              kOk);
    DWORD typoSend = 0;
    s.getLastSentPacketId(session.handle, &typoSend);
    s.addToDataDefinition(session.handle, 9, "Plane Latitude", "degree", DataType::Float64, 0, kUnused);
    s.addToDataDefinition(session.handle, 9, "general eng throttle lever position:2", "percent", DataType::Float64, 0,
                          kUnused);
    s.addToDataDefinition(session.handle, 9, "Category", nullptr, DataType::String32, 0, kUnused);
    s.addToDataDefinition(session.handle, 9, "PLANE WINGSPAN IN FURLONGS", nullptr, DataType::String32, 0, kUnused);
    DWORD madeUpSend = 0;
    s.getLastSentPacketId(session.handle, &madeUpSend);
    s.addToDataDefinition(session.handle, 9, "SIM ON GROUND:x", "Bool", DataType::Int64, 0, kUnused);
    const Received received = session.dispatch();
    ASSERT_EQ(received.ids(), (std::vector<DWORD>(3, static_cast<DWORD>(RecvId::Exception))));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(received.as<RecvException>(i).dwException, 7u);
        EXPECT_EQ(received.as<RecvException>(i).dwIndex, 2u); // the name is the call's second parameter
    }
    EXPECT_EQ(received.as<RecvException>(0).dwSendID, typoSend);
    EXPECT_EQ(received.as<RecvException>(1).dwSendID, madeUpSend);
    // The definition holds the known names alone: latitude, throttle and category.
    s.requestDataOnSimObject(session.handle, 5, 9, kObjectIdUser, Period::Once, 0, 0, 0, 0);
    const Received data = session.dispatch();
    ASSERT_EQ(data.records.size(), 1u);
    EXPECT_EQ(data.as<RecvSimObjectData>(0).dwDefineCount, 3u);
    EXPECT_EQ(data.records[0].size(), kSimObjectDataHeaderSize + 8 + 8 + 32);
    EXPECT_STREQ(data.records[0].data() + kSimObjectDataHeaderSize + 16, "Airplane");
}

TEST(SimStandIn, HelicoptersAreObjectsOfTheirOwnType) {
    TempFolder temp;
    writeFile(temp / "Community/heli/SimObjects/Airplanes/H145/aircraft.cfg",
              "[VERSION]\nmajor = 1\n\n[GENERAL]\ncategory = \"Helicopter\"\n\n[FLTSIM.0]\ntitle = \"H145 ADAC\"\n");
    SimStandInConfig config;
    config.liveryTitles = {"A320 KLM"};
    config.communityFolder = temp / "Community";
    Session session(config);
    auto& s = session.standIn;
    s.subscribeToSystemEvent(session.handle, 202, "ObjectAdded");
    s.addToDataDefinition(session.handle, 404, "ATC ID", nullptr, DataType::String32, 0, kUnused);
    s.addToDataDefinition(session.handle, 404, "CATEGORY", nullptr, DataType::String32, 0, kUnused);
    session.dispatch();
    s.aiCreateNonAtcAircraft(session.handle, "A320 KLM", "KLM2", lf_atSchiphol(), 104);
    s.aiCreateNonAtcAircraft(session.handle, "H145 ADAC", "DHXXX", lf_atSchiphol(), 104);
    const Received created = session.frames(kCreationWait);
    ASSERT_EQ(created.records.size(), 4u);
    EXPECT_EQ(created.as<RecvEventObjectAddRemove>(1).eObjType, static_cast<DWORD>(SimObjectType::Aircraft));
    EXPECT_EQ(created.as<RecvEventObjectAddRemove>(3).eObjType, static_cast<DWORD>(SimObjectType::Helicopter));
    const DWORD helicopter = created.as<RecvEventObjectAddRemove>(3).dwData;

    const auto inRange = [&](SimObjectType type) {
        s.requestDataOnSimObjectType(session.handle, 101, 404, 10000, type);
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& record : session.dispatch().records)
            found.emplace_back(record.data() + kSimObjectDataHeaderSize, record.data() + kSimObjectDataHeaderSize + 32);
        return found;
    };
    using Found = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(inRange(SimObjectType::Aircraft), (Found{{"ASXGS", "Airplane"}, {"KLM2", "Airplane"}}));
    EXPECT_EQ(inRange(SimObjectType::Helicopter), (Found{{"DHXXX", "Helicopter"}}));
    EXPECT_EQ(inRange(SimObjectType::All).size(), 3u);

    s.subscribeToSystemEvent(session.handle, 203, "ObjectRemoved");
    session.dispatch();
    s.aiRemoveObject(session.handle, helicopter, 105);
    const Received removed = session.dispatch();
    ASSERT_EQ(removed.records.size(), 1u);
    EXPECT_EQ(removed.as<RecvEventObjectAddRemove>(0).eObjType, static_cast<DWORD>(SimObjectType::Helicopter));
}

TEST(SimStandIn, FlightPlansAreReadAndMalformedOnesRefused) {
    TempFolder temp;
    writeFile(temp / "good.pln", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n<FlightPlan.FlightPlan>\n"
                                 "<FPType>IFR</FPType>\n<DepartureID>AMS</DepartureID>\n"
                                 "<DestinationID>   </DestinationID>\n</FlightPlan.FlightPlan>\n</SimBase.Document>\n\n");
    writeFile(temp / "cut.pln", "<?xml version=\"1.0\"?>\n<SimBase.Document Type=\"AceXML\">\n<FlightPlan.FlightPlan>\n"
                                "<FPType>IFR</FPType>\n");
    writeFile(temp / "other.pln", "<?xml version=\"1.0\"?>\n<FlightPlan><DepartureID>AMS</DepartureID></FlightPlan>\n");
    writeFile(temp / "type.pln", "<SimBase.Document><FlightPlan.FlightPlan><FPType>XYZ</FPType>"
                                 "</FlightPlan.FlightPlan></SimBase.Document>");
    SimStandInConfig config;
    config.liveryTitles = {"Known"};
    Session session(config);
    auto& s = session.standIn;
    s.subscribeToSystemEvent(session.handle, 202, "ObjectAdded");
    session.dispatch();
    s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM2", lf_atSchiphol(), 104);
    const DWORD id = session.frames(kCreationWait).as<RecvEventObjectAddRemove>(1).dwData;

    for (const char* name : {"cut.pln", "other.pln", "type.pln", "missing.pln"}) {
        EXPECT_EQ(s.aiSetAircraftFlightPlan(session.handle, id, (temp / name).string().c_str(), 110), kOk);
        DWORD sendId = 0;
        s.getLastSentPacketId(session.handle, &sendId);
        const Received received = session.dispatch();
        ASSERT_EQ(received.records.size(), 1u) << name;
        EXPECT_EQ(received.as<RecvException>(0).dwException, 23u) << name;
        EXPECT_EQ(received.as<RecvException>(0).dwSendID, sendId) << name;
        EXPECT_EQ(received.as<RecvException>(0).dwIndex, 2u) << name;
        EXPECT_TRUE(s.object(id)->flightPlan.empty()) << name;
    }
    s.aiSetAircraftFlightPlan(session.handle, id, (temp / "good.pln").string().c_str(), 110);
    EXPECT_TRUE(session.dispatch().records.empty());
    EXPECT_EQ(s.object(id)->departureId, "AMS");
    EXPECT_EQ(s.object(id)->destinationId, "");
}

TEST(SimStandIn, TheGroundIsTheElevationOfTheNearestAirport) {
    SimStandInConfig config;
    config.liveryTitles = {"Known"};
    config.airports.push_back({"EDDM", 48.3538, 11.7861, 1487.0, "Munich", {}, {}});
    config.user = UserScript::fixed(52.3080, 4.7600, 0.0, 90.0, true);
    Session session(config);
    auto& s = session.standIn;
    s.subscribeToSystemEvent(session.handle, 202, "ObjectAdded");
    s.addToDataDefinition(session.handle, 404, "Plane Alt Above Ground", "feet", DataType::Float64, 0, kUnused);
    s.addToDataDefinition(session.handle, 404, "Ground Altitude", "feet", DataType::Float64, 0, kUnused);
    s.addToDataDefinition(session.handle, 404, "Plane Altitude", "feet", DataType::Float64, 0, kUnused);
    session.dispatch();
    s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM2", lf_atSchiphol(), 104);
    s.aiCreateNonAtcAircraft(session.handle, "Known", "DLH3", {48.3540, 11.7800, 0.0, 0.0, 0.0, 0.0, 1, 0}, 104);
    s.aiCreateNonAtcAircraft(session.handle, "Known", "SEA4", {53.5, 3.0, 500.0, 0.0, 0.0, 0.0, 0, 150}, 104);
    const Received created = session.frames(kCreationWait);
    ASSERT_EQ(created.records.size(), 6u);
    const auto values = [&](DWORD objectId) {
        s.requestDataOnSimObject(session.handle, 7, 404, objectId, Period::Once, 0, 0, 0, 0);
        const Received data = session.dispatch();
        std::array<double, 3> v{};
        std::memcpy(v.data(), data.records.at(0).data() + kSimObjectDataHeaderSize, sizeof(v));
        return v;
    };
    EXPECT_EQ(values(kObjectIdUser), (std::array<double, 3>{0.0, -11.0, -11.0}));
    EXPECT_EQ(values(created.as<RecvEventObjectAddRemove>(1).dwData), (std::array<double, 3>{0.0, -11.0, -11.0}));
    EXPECT_EQ(values(created.as<RecvEventObjectAddRemove>(3).dwData), (std::array<double, 3>{0.0, 1487.0, 1487.0}));
    EXPECT_EQ(values(created.as<RecvEventObjectAddRemove>(5).dwData), (std::array<double, 3>{500.0, 0.0, 500.0}));
}

TEST(SimStandIn, WrongSizesAndUnknownObjectsRaiseExceptions) {
    Session session(SimStandInConfig{});
    auto& s = session.standIn;
    s.addToDataDefinition(session.handle, 402, "Plane Latitude", "degree", DataType::Float64, 0, kUnused);
    session.dispatch();
    double value = 1.0;
    s.setDataOnSimObject(session.handle, 402, 999, 0, 0, 8, &value);
    s.aiRemoveObject(session.handle, 999, 105);
    s.requestDataOnSimObjectType(session.handle, 101, 402, 300000, SimObjectType::Aircraft);
    const Received received = session.dispatch();
    ASSERT_EQ(received.records.size(), 3u);
    EXPECT_EQ(received.as<RecvException>(0).dwException, 3u);
    EXPECT_EQ(received.as<RecvException>(1).dwException, 3u);
    EXPECT_EQ(received.as<RecvException>(2).dwException, 31u);
}

TEST(SimStandIn, ManualClockSendsFramesAndSecondsWhenAdvanced) {
    Session session(SimStandInConfig{});
    auto& s = session.standIn;
    s.subscribeToSystemEvent(session.handle, 204, "Frame");
    s.subscribeToSystemEvent(session.handle, 230, "1sec");
    session.dispatch();
    EXPECT_TRUE(session.dispatch().records.empty());
    s.advance(1000.0 / 30.0);
    EXPECT_EQ(session.dispatch().ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::EventFrame)}));
    s.advance(1000.0);
    const auto ids = session.dispatch().ids();
    EXPECT_EQ(ids, (std::vector<DWORD>{static_cast<DWORD>(RecvId::Event), static_cast<DWORD>(RecvId::EventFrame)}));
}

TEST(SimStandIn, TraceFileAndMapRecordTheRun) {
    TempFolder temp;
    SimStandInConfig config;
    config.liveryTitles = {"Known"};
    config.tracePath = temp / "trace.jsonl";
    config.mapPath = temp / "map.svg";
    {
        Session session(config);
        auto& s = session.standIn;
        s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM2", lf_atSchiphol(), 104);
        session.frames(kCreationWait);
        s.advance(2500.0);
        session.dispatch();
    }
    std::ifstream in(temp / "trace.jsonl");
    std::string line;
    int creations = 0, positions = 0;
    while (std::getline(in, line)) {
        const auto entry = nlohmann::json::parse(line);
        ASSERT_TRUE(entry.contains("t"));
        if (entry.value("call", "") == "AICreateNonATCAircraft") {
            ++creations;
            EXPECT_EQ(entry.at("tail"), "KLM2");
            EXPECT_EQ(entry.at("title"), "Known");
        }
        if (entry.contains("position")) ++positions;
    }
    EXPECT_EQ(creations, 1);
    EXPECT_EQ(positions, 4); // user and KLM2, at seconds 1 and 2
    const std::string svg = vorl::test::readFile(temp / "map.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("KLM2"), std::string::npos);
    EXPECT_NE(svg.find("user ASXGS"), std::string::npos);
}
