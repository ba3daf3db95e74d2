// Static parked aircraft over whole runs of the program: what an add-on airport learns in one run
// is there in the next, a livery the simulator refuses for a static aircraft is not tried again, and
// a parked freighter wears a cargo livery.
#include <atomic>
#include <fstream>
#include <optional>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "app/Commands.h"
#include "app/HeadlessFrontEnd.h"
#include "app/WindowLayout.h"
#include "common/Geodesy.h"
#include "sim/SimSession.h"
#include "standins/sim/SimStandIn.h"
#include "tests/app/WholeProgram.h"
#include "RtTestSupport.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using namespace std::chrono_literals;
using vorl::test::ArchiveServer;
using vorl::test::settingInFile;
using vorl::test::TempFolder;
using vorl::test::WholeProgram;

namespace {

// Stand B13 of the EHAM layout, a medium gate.
constexpr double kB13Lat = 52.309376;
constexpr double kB13Lon = 4.767069;

standin::SimStandIn& simulator() {
    auto* sim = dynamic_cast<standin::SimStandIn*>(gf_simSession().backend());
    if (sim == nullptr) throw std::runtime_error("not the simulator stand-in");
    return *sim;
}

bool standsAtB13(const standin::StandInObject& o) {
    return gf_distanceNm(o.lat, o.lon, kB13Lat, kB13Lon) * 1852.0 < 2.0;
}

// An add-on EHAM of a third-party publisher in airports/my_thirdparty/, with the stands of the
// EHAM layout and no aircraft remembered at any of them.
void installAddonEham(const fs::path& install) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((fs::path(VORL_DATA_FOLDER) / "archive" / "stock" / "EHAM.xml").c_str()));
    auto parameters = doc.child("root").child("parameters");
    parameters.find_child_by_attribute("parameter", "name", "publisher").attribute("value") = "Dutch Sceneries";
    auto version = parameters.append_child("parameter");
    version.append_attribute("name") = "version";
    version.append_attribute("value") = "2.1.0";
    fs::create_directories(install / "airports" / "my_thirdparty");
    ASSERT_TRUE(doc.save_file((install / "airports" / "my_thirdparty" / "EHAM.xml").c_str(), "  "));
}

// A KLM 737 standing at B13 the whole time, as RealTraffic reports a live aircraft on the ground.
void klmStandingAtB13(standin::Scenario& scenario) {
    for (int t = 0; t < 120; ++t)
        scenario.addSample("484c10", t, test::makeLiveRecord("484c10", kB13Lat, kB13Lon, 0.0, 0.0, "KLM1234", "B738", "PH-BXE"));
}

// The options a learned file holds for `stand`, as "callsign/registration".
std::vector<std::string> learnedAt(const fs::path& learned, const std::string& stand) {
    std::vector<std::string> options;
    pugi::xml_document doc;
    if (!doc.load_file(learned.c_str())) return options;
    const auto parkpos = doc.child("root").child("parkpositions").find_child_by_attribute("parkpos", "id", stand.c_str());
    for (auto opt : parkpos.children("opt"))
        options.push_back(std::string(opt.attribute("cs").as_string()) + "/" + opt.attribute("reg").as_string());
    return options;
}

// How often the program asked the simulator to create an aircraft with `key` = `value`.
std::size_t creations(const fs::path& trace, const std::string& key, const std::string& value) {
    std::size_t n = 0;
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);) {
        const auto entry = nlohmann::json::parse(line, nullptr, false);
        if (entry.is_object() && entry.value("call", "") == "AICreateNonATCAircraft" && entry.value(key, "") == value) ++n;
    }
    return n;
}

} // namespace

// The user stands at an add-on EHAM. In the first run a live KLM 737 stands at B13: the airport
// learns it there, and closing down writes the learned file of the add-on airport. The second run
// of the same install has no such live aircraft; it reads the learned file back: the settings the
// airport was visited with (the user's own say WEEK off), and the 737, which now stands at B13 as
// a static aircraft.
TEST(StaticParking, WhatAnAddonAirportLearnedInOneRunComesBackInTheNext) {
    const fs::path learnedFile = fs::path("airports") / "learned" / "thirdparty" / "Dutch Sceneries" / "EHAM.xml";
    TempFolder kept;
    {
        WholeProgram first(R"(<parameter name="WEEK" value="true"/>)",
                           [](const fs::path& install, const test::FakeSimulator&) { installAddonEham(install); }, {}, {},
                           klmStandingAtB13);
        ASSERT_TRUE(first.waitUntilServing()) << first.log();
        // Live traffic plays out half a minute behind the reports.
        ASSERT_TRUE(first.waitFor([&] { return first.count("lf_addRealStandOption: hh_now: ") >= 1; }, 90s)) << first.log();
        EXPECT_EQ(first.close(), 0);
        const std::string log = first.log();
        EXPECT_NE(log.find("Airport file read from 'airports/my_thirdparty/EHAM.xml'"), std::string::npos) << log;
        EXPECT_NE(log.find("learned '" + learnedFile.generic_string() + "' does not exist"), std::string::npos) << log;
        ASSERT_TRUE(fs::exists(first.dir.path() / learnedFile)) << log;
        EXPECT_EQ(learnedAt(first.dir.path() / learnedFile, "B13"), std::vector<std::string>{"KLM1234/PH-BXE"});
        EXPECT_EQ(settingInFile(first.dir.path() / learnedFile, "WEEK"), "true");
        fs::copy(first.dir / "airports", kept / "airports", fs::copy_options::recursive);
    }

    WholeProgram second({}, [&](const fs::path& install, const test::FakeSimulator&) {
        fs::copy(kept / "airports", install / "airports", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    });
    ASSERT_TRUE(second.waitUntilServing()) << second.log();
    const auto staticAtB13 = [] {
        for (const auto& o : simulator().objects())
            if (o.createdByProgram && o.tailNumber == "KLM1234" && standsAtB13(o)) return true;
        return false;
    };
    EXPECT_TRUE(second.waitFor(staticAtB13, 60s)) << second.log();
    EXPECT_EQ(second.close(), 0);
    const std::string log = second.log();
    EXPECT_NE(log.find("Read from learned airport file: '" + learnedFile.generic_string() + "'"), std::string::npos) << log;
    // Saved again with what was read: the option, and the airport's own settings, which were in
    // force during the visit.
    EXPECT_EQ(learnedAt(second.dir.path() / learnedFile, "B13"), std::vector<std::string>{"KLM1234/PH-BXE"});
    EXPECT_EQ(settingInFile(second.dir.path() / learnedFile, "WEEK"), "true");
}

// An Icelandair 757 parked at B13 has one livery, in a package the livery scan finds but the
// simulator cannot create. The simulator refuses it; the refusal is shown, and when the static
// aircraft are planned afresh ("Flush static") that livery is not tried again.
TEST(StaticParking, ALiveryTheSimulatorRefusesForAStaticAircraftIsNotPickedAgain) {
    static constexpr const char* kRefused = "AIG_B752_ICE_Saga";
    ArchiveServer archive;
    std::atomic<Commands*> commands{nullptr};
    WholeProgram run(
        archive.setting(),
        [](const fs::path&, const test::FakeSimulator& simulator) {
            // Beside the simulator's own aircraft, where the simulator stand-in does not look.
            const fs::path cfg = simulator.packages / "Official" / "OneStore" / "aig-aitraffic-oci-icelandair" /
                                 "SimObjects" / "Airplanes" / "AIG_B752_ICE" / "aircraft.cfg";
            fs::create_directories(cfg.parent_path());
            std::ofstream(cfg) << "[VERSION]\nmajor = 1\nminor = 0\n\n[GENERAL]\nicao_type_designator = \"B752\"\n\n"
                                  "[FLTSIM.0]\ntitle = \""
                               << kRefused << "\"\nmodel = \"\"\ntexture = \"0\"\nicao_airline = \"ICE\"\n"
                                  "atc_parking_types = \"GATE\"\n";
        },
        [&commands](const CommandLineOptions& o, Commands& c) {
            commands.store(&c);
            return std::make_unique<HeadlessFrontEnd>(o.durationSeconds);
        },
        {},
        [](standin::Scenario& scenario) {
            scenario.addParked("4cc0a1", 1800.0,
                               nlohmann::json::array({kB13Lat, kB13Lon, "EHAM_B13", "B752", "TF-ISX", 0, "ICE501"}));
        });
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    const std::string refusal = std::string("'") + kRefused + "' could not be created by your Sim!";
    ASSERT_TRUE(run.waitForLogCount(refusal, 1)) << run.log();
    EXPECT_EQ(creations(run.dir / "sim-trace.jsonl", "title", kRefused), 1u);

    ASSERT_NE(commands.load(), nullptr);
    commands.load()->buttonClicked(control::kFlushStatic);
    // Planned afresh, the 757 is given another livery or none.
    ASSERT_TRUE(run.waitFor(
        [&] {
            return creations(run.dir / "sim-trace.jsonl", "tail", "ICE501") >= 2 || run.count("no livery for static ICE501") >= 1;
        },
        60s))
        << run.log();
    EXPECT_EQ(run.close(), 0);
    EXPECT_EQ(creations(run.dir / "sim-trace.jsonl", "title", kRefused), 1u) << "the refused livery is never asked for again";
    EXPECT_EQ(run.count(refusal), 1u);
}

// KLM's 747 PH-CKA flies freight: its registration entry says so. Parked at B12, an ordinary
// gate, it wears KLM's cargo livery, not the passenger one.
TEST(StaticParking, AParkedFreighterWearsTheCargoLiveryItsRegistrationCallsFor) {
    static constexpr const char* kCargoLivery = "User KLM 747 Cargo";
    ArchiveServer archive;
    WholeProgram run(
        archive.setting(),
        [](const fs::path&, const test::FakeSimulator& simulator) {
            const fs::path cfg = simulator.packages / "Community" / "user-aitraffic-klm747" / "SimObjects" / "Airplanes" /
                                 "KLM_B744" / "aircraft.cfg";
            fs::create_directories(cfg.parent_path());
            std::ofstream(cfg) << "[VERSION]\nmajor = 1\nminor = 0\n\n[GENERAL]\nicao_type_designator = \"B744\"\n\n"
                                  "[FLTSIM.0]\ntitle = \"User KLM 747 City of Paris\"\nmodel = \"\"\ntexture = \"0\"\n"
                                  "icao_airline = \"KLM\"\natc_parking_types = \"GATE\"\n\n"
                                  "[FLTSIM.1]\ntitle = \""
                               << kCargoLivery
                               << "\"\nmodel = \"\"\ntexture = \"1\"\nicao_airline = \"KLM\"\natc_parking_types = \"CARGO\"\n";
        },
        {}, {},
        [](standin::Scenario& scenario) {
            scenario.addParked("484c20", 1800.0,
                               nlohmann::json::array({52.309024, 4.764931, "EHAM_B12", "B744", "PH-CKA", 0, "KLM92"}));
        });
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    const auto freighter = [] {
        for (const auto& o : simulator().objects())
            if (o.createdByProgram && o.tailNumber == "KLM92") return std::optional<std::string>(o.title);
        return std::optional<std::string>();
    };
    ASSERT_TRUE(run.waitFor([&] { return freighter().has_value(); }, 60s)) << run.log();
    EXPECT_EQ(*freighter(), kCargoLivery);
    EXPECT_EQ(run.close(), 0);
}
