#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/Log.h"
#include "common/UserErrorException.h"
#include "models/DbaseReader.h"
#include "models/StreamCrypt.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

const char* kDbase = R"(<?xml version="1.0" encoding="utf-8"?>
<root>
  <aircrafts>
    <aircraft types="A320"/><aircraft types="A321"/><aircraft types="B738"/><aircraft types="B744"/>
    <aircraft types="C172"/><aircraft types="E55P"/><aircraft types="EC35"/><aircraft types="F16"/>
    <aircraft types="B77W"/>
  </aircrafts>
  <cargo_types><cargo_type types="B744"/></cargo_types>
  <heavy><hvy types="B744"/><hvy types="B77W"/><hvy types="A321"/></heavy>
  <large><lar types="A320"/><lar types="A321"/><lar types="B738"/></large>
  <buzjet><bzj types="E55P"/></buzjet>
  <high_performance><hpf types="F16"/></high_performance>
  <rotorcraft><rot types="EC35"/></rotorcraft>
  <similar_types><similar types="A320,A321"/><similar types="B744, B77W"/></similar_types>
  <prefixes><similar types="A3"/></prefixes>
  <ICAO_airlines><codes ICAO="KLM"/><codes ICAO="DLH"/><codes ICAO="BAW"/></ICAO_airlines>
  <cargo_operators><codes ICAO="MPH"/><codes ICAO="KLM"/></cargo_operators>
  <publishers><pub names="AIG"/><pub names="FSLTL"/></publishers>
  <wingspans>
    <wingspan type="A320" meters="35.8"/>
    <wingspan type="A320" meters="99"/>
    <wingspan type="B744" meters="64.4"/>
    <wingspan type="XXXX" meters="10"/>
  </wingspans>
  <fixes>
    <fx wro="A20" cor="A320"/>
    <fx wro="A20" cor="A321"/>
    <fx wro="B74F" cor="B74X"/>
  </fixes>
  <simaddons20><simaddon20 arpts="EHAM,KJFK"/></simaddons20>
  <simaddons24><simaddon24 arpts="EGLL"/><simaddon24 arpts="LFPG,LEMD"/></simaddons24>
  <thirdparties20><thirdpartie20 pub="Pub1" arpts="EDDF,EDDM"/></thirdparties20>
  <thirdparties24><thirdpartie24 pub="Pub2" arpts="LIRF"/></thirdparties24>
  <dbase>
    <d r="PH-BXA" a="KLM" o="KLM" m="B738" c="0"/>
    <d r="D-AIMA" a="DLH" o="DLH" m="A20" c="0"/>
    <d r="N12345" a="" o="" m="C172" c="0"/>
    <d r="G-CIVA" a="BAW" o="MPH" m="B744" c="1"/>
  </dbase>
</root>
)";

class ModelDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::instance().open(folder / "log.txt");
        writeFile(folder / "dbase.src.xml", kDbase);
        gf_streamEncrypt(folder / "dbase.src.xml", folder / "dbase.enc");
    }
    void TearDown() override { Log::instance().close(); }
    std::string logText() {
        Log::instance().close();
        return readFile(folder / "log.txt");
    }
    bool logged(const std::string& log, const std::string& line) { return log.find(line + "\n") != std::string::npos; }

    TempFolder folder;
    ModelDatabase db;
};

TEST_F(ModelDatabaseTest, StartUpReadsEverySectionLogsCountsAndRemovesTheXml) {
    gf_readModelDatabase(folder.path(), db);
    EXPECT_FALSE(fs::exists(folder / "dbase.xml"));
    EXPECT_EQ(db.aircraftTypes.size(), 9u);
    EXPECT_EQ(db.similarGroups.size(), 2u);
    EXPECT_EQ(db.prefixGroups.size(), 1u);
    EXPECT_EQ(db.publishers, (std::vector<std::string>{"AIG", "FSLTL"}));
    EXPECT_EQ(db.simAddons20, (std::vector<std::string>{"EHAM", "KJFK"}));
    EXPECT_EQ(db.simAddons24, (std::vector<std::string>{"EGLL", "LFPG", "LEMD"}));
    EXPECT_EQ(db.thirdParties20.at("Pub1"), (std::vector<std::string>{"EDDF", "EDDM"}));
    EXPECT_EQ(db.thirdParties24.at("Pub2"), (std::vector<std::string>{"LIRF"}));
    EXPECT_EQ(db.registrations.size(), 4u);
    EXPECT_TRUE(std::is_sorted(db.registrations.begin(), db.registrations.end(),
                               [](const auto& a, const auto& b) { return a.registration < b.registration; }));

    const std::string log = logText();
    EXPECT_TRUE(logged(log, "    9 ICAO model codes"));
    EXPECT_TRUE(logged(log, "    2 similar model definitions"));
    EXPECT_TRUE(logged(log, "    1 prefixes"));
    EXPECT_TRUE(logged(log, "    3 ICAO airline codes"));
    EXPECT_TRUE(logged(log, "    2 cargo operators"));
    EXPECT_TRUE(logged(log, "    2 fixes"));
    EXPECT_TRUE(logged(log, "3 simaddons24"));
    EXPECT_TRUE(logged(log, "    4 dbase records read"));
    EXPECT_TRUE(logged(log, "wingspan model XXXX is not valid, skipped"));
    EXPECT_TRUE(logged(log, "wrong part of fix: 'A20', already exists, skipped"));
    EXPECT_TRUE(logged(log, "wrong fix B74F -> B74X, the latter is not valid"));
}

TEST_F(ModelDatabaseTest, TypeIndexesFollowTheKnownTypesThenFixesThenNewStrings) {
    gf_readModelDatabase(folder.path(), db);
    EXPECT_EQ(db.typeIndexOf(""), 0);
    EXPECT_EQ(db.typeIndexOf("A320"), 1); // set order: A320 A321 B738 B744 B77W C172 E55P EC35 F16
    EXPECT_EQ(db.typeIndexOf("F16"), 9);
    EXPECT_EQ(db.typeIndexOf("A20"), db.typeIndexOf("A320"));
    EXPECT_EQ(db.typeIndexOf("A20"), db.typeIndexOf("A320"));
    const auto firstNew = db.typeIndexOf("ZZZZ");
    EXPECT_EQ(firstNew, 10);
    EXPECT_EQ(db.typeIndexOf("YYYY"), 11);
    EXPECT_EQ(db.typeIndexOf("ZZZZ"), firstNew);
    EXPECT_EQ(db.typeOf(firstNew), "ZZZZ");
    // a fix whose corrected type is unknown gives the wrong type an index of its own
    const auto b74f = db.typeIndexOf("B74F");
    EXPECT_EQ(db.typeOf(b74f), "B74F");

    const auto code = db.modelCodeByRegistration("D-AIMA");
    ASSERT_TRUE(code);
    EXPECT_EQ(code->typeIndex, db.typeIndexOf("A320"));
    EXPECT_EQ(db.airlineOf(code->airlineIndex), "DLH");
    EXPECT_EQ(code->valid, 1);
}

TEST_F(ModelDatabaseTest, CategoriesWingspansCargoAndGroups) {
    gf_readModelDatabase(folder.path(), db);
    EXPECT_EQ(db.category(db.typeIndexOf("A321")), AircraftCategory::Large); // in large and heavy
    EXPECT_EQ(db.category(db.typeIndexOf("B744")), AircraftCategory::Heavy);
    EXPECT_EQ(db.category(db.typeIndexOf("E55P")), AircraftCategory::Buzjets);
    EXPECT_EQ(db.category(db.typeIndexOf("EC35")), AircraftCategory::Rotorcraft);
    EXPECT_EQ(db.category(db.typeIndexOf("F16")), AircraftCategory::HighPerf);
    EXPECT_EQ(db.category(db.typeIndexOf("C172")), AircraftCategory::Light);
    EXPECT_EQ(db.category(db.typeIndexOf("QQQQ")), AircraftCategory::Light);

    ASSERT_TRUE(db.halfWingspanNm("A320"));
    EXPECT_NEAR(*db.halfWingspanNm("A320"), 35.8 * 0.5 * 0.0005399568034557236, 1e-12); // first one wins
    EXPECT_NEAR(db.largestHalfWingspanNm, 64.4 * 0.5 * 0.0005399568034557236, 1e-12);
    EXPECT_FALSE(db.halfWingspanNm("XXXX"));

    EXPECT_TRUE(db.isCargoType(db.typeIndexOf("B744")));
    EXPECT_FALSE(db.isCargoType(db.typeIndexOf("B738")));
    EXPECT_TRUE(db.isCargoOperator(db.airlineIndexOf("MPH")));
    EXPECT_TRUE(db.isCargoOperator(db.airlineIndexOf("KLM")));
    EXPECT_FALSE(db.isCargoOperator(db.airlineIndexOf("DLH")));
    EXPECT_EQ(db.modelCodeByRegistration("G-CIVA")->cargo, 1);

    ASSERT_NE(db.similarGroupOf("B77W"), nullptr);
    EXPECT_EQ(*db.similarGroupOf("B77W"), (std::vector<std::string>{"B744", "B77W"}));
    EXPECT_EQ(db.similarGroupOf("C172"), nullptr);

    EXPECT_TRUE(db.isKnownType("C172"));
    EXPECT_FALSE(db.isKnownType(""));
    EXPECT_FALSE(db.isKnownType("A20"));
    for (const char* type : {"BALL", "EMER", "GLID", "GRND", "GND", "PARA", "SERV", "SHIP", "VENT"})
        EXPECT_TRUE(ModelDatabase::isNonAircraftType(type)) << type;
    EXPECT_FALSE(ModelDatabase::isNonAircraftType("C172"));
}

TEST_F(ModelDatabaseTest, RegistrationLookupTriesTheDashCandidates) {
    gf_readModelDatabase(folder.path(), db);
    EXPECT_TRUE(db.modelCodeByRegistration("PHBXA"));  // two-letter prefix
    EXPECT_TRUE(db.modelCodeByRegistration("DAIMA"));  // one-letter prefix
    EXPECT_TRUE(db.modelCodeByRegistration("N12345")); // N numbers have no dash
    EXPECT_TRUE(db.modelCodeByRegistration("PH-BXA"));
    EXPECT_FALSE(db.modelCodeByRegistration("PHBX")); // too short for candidates
    EXPECT_FALSE(db.modelCodeByRegistration("KLM123"));
    EXPECT_EQ(gf_registrationCandidates("GCIVA"), (std::vector<std::string>{"GC-IVA", "G-CIVA"}));
    EXPECT_EQ(gf_registrationCandidates("N123AB"), (std::vector<std::string>{"N123AB"}));
}

TEST_F(ModelDatabaseTest, MissingOrBrokenFilesLeaveTheDatabaseEmpty) {
    gf_readModelDatabase(folder / "elsewhere", db);
    writeFile(folder / "dbase.enc", "not a stream at all, but long enough for a header");
    gf_readModelDatabase(folder.path(), db);
    EXPECT_TRUE(db.aircraftTypes.empty());
    EXPECT_FALSE(fs::exists(folder / "dbase.xml"));

    writeFile(folder / "bad.xml", "<root><aircrafts>");
    gf_streamEncrypt(folder / "bad.xml", folder / "dbase.enc");
    gf_readModelDatabase(folder.path(), db);
    EXPECT_TRUE(db.aircraftTypes.empty());
    EXPECT_FALSE(fs::exists(folder / "dbase.xml"));

    const std::string log = logText();
    EXPECT_TRUE(logged(log, (folder / "elsewhere" / "dbase.enc").string() + " not available"));
    EXPECT_TRUE(logged(log, (folder / "dbase.enc").string() + " stream decrypt failed"));
    EXPECT_NE(log.find("'" + (folder / "dbase.xml").string() + "' not read because of "), std::string::npos);
}

TEST_F(ModelDatabaseTest, StructuralFaultsStopTheStartUpWithTheirMessage) {
    const auto failureOf = [&](const std::string& xml) -> std::string {
        writeFile(folder / "x.xml", xml);
        gf_streamEncrypt(folder / "x.xml", folder / "dbase.enc");
        ModelDatabase fresh;
        try {
            gf_readModelDatabase(folder.path(), fresh);
        } catch (const UserErrorException& e) {
            EXPECT_FALSE(fs::exists(folder / "dbase.xml"));
            return e.message();
        }
        return "no exception";
    };
    EXPECT_EQ(failureOf("<other/>"), "XML root missing: dbase.xml");
    EXPECT_EQ(failureOf("<root><aircrafts/></root>"), "Missing section: cargo_types");
    EXPECT_EQ(failureOf("<root><aircrafts><aircraft types=\"\"/></aircrafts></root>"),
              "In XML file section [aircrafts], element [aircraft], attribute [types] is empty.");
}

TEST(IndexRegistryTest, AppendsFromOneThreadWhileAnotherLooksUp) {
    IndexRegistry registry;
    registry.add("");
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) registry.add("T" + std::to_string(i));
    });
    std::size_t seen = 0;
    for (int round = 0; round < 20000; ++round) {
        const auto index = registry.find("T" + std::to_string(round % 500));
        if (index) {
            EXPECT_EQ(registry.name(*index), "T" + std::to_string(round % 500));
            ++seen;
        }
    }
    writer.join();
    EXPECT_EQ(registry.size(), 20001u);
    EXPECT_EQ(*registry.find("T19999"), 20000);
    EXPECT_GT(seen + 1, 0u);
}

TEST(IndexRegistryTest, AFullRegistryAnswersZero) {
    IndexRegistry registry;
    for (std::size_t i = 0; i < IndexRegistry::kCapacity; ++i) registry.add(std::to_string(i));
    EXPECT_EQ(registry.add("one too many"), 0);
    EXPECT_EQ(*registry.find("65535"), 65535);
}

} // namespace
