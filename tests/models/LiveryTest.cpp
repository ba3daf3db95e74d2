// The livery scan over a made-up installation of AI packages, and the matching that picks a
// livery from the catalogue for live and parked aircraft.
#include <algorithm>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "common/Log.h"
#include "common/UserErrorException.h"
#include "models/LiveryCatalogue.h"
#include "models/LiveryScan.h"
#include "models/Regcodes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ShippedDatabase.h"
#include "tools/aipackages/AiPackages.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

ModelDatabase& shippedDatabase() { return vorl::test::shippedDatabase(std::filesystem::path(VORL_DATA_FOLDER) / "dbase.xml"); }

// A livery scan into a folder of its own, which also holds the log.
class ScanFolder : public ::testing::Test {
protected:
    void TearDown() override { Log::instance().close(); }
    std::string log() {
        Log::instance().close();
        const std::string text = readFile(folder / "log.txt");
        Log::instance().open(folder / "log.txt");
        return text;
    }
    static const LiveryData* find(const LiveryScanResult& r, const std::string& title) {
        const auto it = std::find_if(r.liveries.begin(), r.liveries.end(), [&](const LiveryData& l) { return l.title == title; });
        return it == r.liveries.end() ? nullptr : &*it;
    }

    TempFolder folder;
};

class Installation : public ScanFolder {
protected:
    void SetUp() override {
        Log::instance().open(folder / "log.txt");
        fs::create_directories(folder / "Packages" / "Official");
        summary = tools::gf_writeAiPackages({VORL_FLEET_FILE, folder / "Packages" / "Community", 1});
        settings.selector = gf_parsePackageSelector("AIG, FSLTL, JF, MTL");
        settings.packagesPath = folder / "Packages";
        settings.result = folder / "LiveriesScanned.xml";
        settings.problemsFolder = folder.path();
        settings.version = "1.2.3";
        settings.status = [this](const std::string& text) { statuses.push_back(text); };
    }

    tools::AiPackagesSummary summary;
    LiveryScanSettings settings;
    std::vector<std::string> statuses;
};

} // namespace

TEST_F(Installation, AutomaticScanReadsEveryPackageAndReportsTheBrokenFiles) {
    const LiveryScanResult r = gf_scanLiveries(settings, shippedDatabase());
    const std::string text = log();

    for (const char* kind : {"AIG", "FSLTL", "IVAO_MTL", "JF", "user-aitraffic"})
        EXPECT_NE(text.find(fmt::format("Automatic {} scan found folder: '", kind)), std::string::npos) << kind;
    // Converted copies and publishers' vehicles are no liveries.
    EXPECT_EQ(find(r, "Converted KLM 737"), nullptr);
    EXPECT_EQ(find(r, "Pushback tug"), nullptr);

    const LiveryData* klm = find(r, "AIG_B738_KLM_1");
    ASSERT_NE(klm, nullptr);
    EXPECT_EQ(klm->airline, "KLM");
    EXPECT_EQ(klm->model, "B738");
    EXPECT_FALSE(klm->registration.empty());
    EXPECT_EQ(klm->priority, 0);
    // The IVAO packages name the model in the folder; their parking types make them cargo.
    const LiveryData* mph = find(r, "IVAO_B744_MPH_1");
    ASSERT_NE(mph, nullptr);
    EXPECT_EQ(mph->model, "B744");
    EXPECT_TRUE(mph->cargo);
    EXPECT_EQ(find(r, "FSLTL_B738_ZZZ_1")->airline, "ZZZ");
    // A UTF-16 file reads like any other; liveries without airline are private.
    ASSERT_NE(find(r, "C172 Club 1"), nullptr);
    EXPECT_EQ(find(r, "C172 Club 1")->airline, "PVT");
    EXPECT_EQ(find(r, "R44 PH-HBR")->registration, "PH-HBR");
    // A heavy without airline is of no use; a repeated title is kept once.
    EXPECT_EQ(find(r, "User 747 no airline"), nullptr);
    EXPECT_NE(text.find("'User 747 no airline'"), std::string::npos);
    EXPECT_EQ(find(r, "User KLM 737 Sunset")->airline, "KLM");
    EXPECT_NE(text.find("title 'User KLM 737 Sunset' already exists"), std::string::npos);

    EXPECT_EQ(r.incompleteSections, 1u);
    EXPECT_EQ(r.filesWithoutSections, 1u);
    EXPECT_NE(text.find("\nErrors:"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "IncompleFltsimSections.txt"));
    EXPECT_TRUE(fs::exists(folder / "AircraftCfgWithNoFltsimSection.txt"));
    EXPECT_FALSE(statuses.empty());
    EXPECT_NE(statuses.back().find(" files"), std::string::npos) << statuses.back();

    // What was written reads back the same.
    const auto read = gf_readLiveriesScanned(settings.result);
    ASSERT_EQ(read.size(), r.liveries.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].title, r.liveries[i].title);
        EXPECT_EQ(read[i].airline, r.liveries[i].airline);
        EXPECT_EQ(read[i].model, r.liveries[i].model);
        EXPECT_EQ(read[i].registration, r.liveries[i].registration);
        EXPECT_EQ(read[i].cargo, r.liveries[i].cargo);
    }
}

TEST_F(Installation, SelectionAndModeDecideWhichFoldersAreScanned) {
    settings.selector = gf_parsePackageSelector("MTL");
    const auto folders = gf_liveryFolders(settings);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].filename(), "IVAO_MTL");
    EXPECT_EQ(folders[1].filename(), "user-aitraffic-liveries");

    EXPECT_TRUE(gf_parsePackageSelector("AIG, AIG").empty());
    EXPECT_TRUE(gf_parsePackageSelector("XYZ").empty());
    EXPECT_EQ(gf_parsePackageSelector("FSLTL, AIG"), (std::vector<std::string>{"FSLTL", "AIG"}));

    settings.packagesPath = folder / "nothing";
    try {
        gf_liveryFolders(settings);
        FAIL() << "an installation without packages must stop the scan";
    } catch (const UserErrorException& e) {
        EXPECT_EQ(e.code(), 43);
    }

    settings.automatic = false;
    settings.manualFolders[3] = (folder / "missing").string();
    try {
        gf_liveryFolders(settings);
        FAIL();
    } catch (const UserErrorException& e) {
        EXPECT_EQ(e.message(), "the path pointed to by parameter 'lfolder3' does not exist, see Log.txt!");
    }
    settings.manualFolders[3] = (folder / "Packages" / "Community" / "IVAO_MTL").string();
    settings.manualFolders[5] = (folder / "Packages" / "Community" / "justflight-aircraft-traffic-fleet").string();
    const auto manual = gf_scanLiveries(settings, shippedDatabase());
    std::set<std::string> airlines;
    for (const auto& l : manual.liveries) airlines.insert(l.airline);
    EXPECT_EQ(airlines, (std::set<std::string>{"MPH", "CLX", "EJU"}));
}

TEST_F(Installation, PrioritizedScanKeepsOnlyTheBestPackagePerAirlineAndModel) {
    writeFile(folder / "Packages" / "Community" / "user-aitraffic-liveries" / "SimObjects" / "Airplanes" / "klm" / "aircraft.cfg",
              "[General]\nicao_type_designator=B738\n[fltsim.0]\ntitle=User KLM 737 Orange\nicao_airline=KLM\n");
    writeFile(folder / "Packages" / "Community" / "user-aitraffic-liveries" / "SimObjects" / "Airplanes" / "klm2" / "aircraft.cfg",
              "[General]\nicao_type_designator=B78X\n[fltsim.0]\ntitle=User KLM 787-10\nicao_airline=KLM\n");
    settings.prioritize = true;
    writeFile(folder / "dont_use" / "mine.txt", "AIG_B738_KLM_1\n\n");
    bool failed = false;
    settings.excludedTitles = gf_readDontUseTitles(folder / "DontUseTitles.txt", folder / "dont_use", failed);
    EXPECT_FALSE(failed);
    const auto r = gf_scanLiveries(settings, shippedDatabase());
    EXPECT_EQ(find(r, "AIG_B738_KLM_1"), nullptr) << "the user does not want it";
    EXPECT_EQ(find(r, "User KLM 737 Orange"), nullptr) << "AIG has KLM 737s";
    EXPECT_NE(find(r, "AIG_B738_KLM_2"), nullptr);
    EXPECT_NE(find(r, "User KLM 787-10"), nullptr) << "nobody else has a KLM 787-10";
}

namespace {

class Matching : public ::testing::Test {
protected:
    void SetUp() override { Log::instance().open(folder / "log.txt"); }
    void TearDown() override { Log::instance().close(); }

    static LiveryData livery(const std::string& title, const std::string& airline, const std::string& model,
                             bool cargo = false, const std::string& registration = {}, const std::string& op = {}) {
        LiveryData l;
        l.title = title;
        l.airline = airline;
        l.model = model;
        l.cargo = cargo;
        l.registration = registration;
        l.operatorCode = op;
        return l;
    }
    LiveryQuery aircraft(const std::string& airline, const std::string& type, bool cargo = false,
                         const std::string& registration = {}, const std::string& op = {}) {
        LiveryQuery q;
        q.code.airlineIndex = db.airlineIndexOf(airline);
        q.code.operatorIndex = op.empty() ? 0 : db.airlineIndexOf(op);
        q.code.typeIndex = db.typeIndexOf(type);
        q.code.cargo = cargo ? 1 : 0;
        q.category = db.category(q.code.typeIndex);
        q.registration = registration;
        q.label = airline + type;
        q.callsign = airline + "1";
        return q;
    }
    std::string titleOf(const LiveryQuery& q, int depth = 4, int* step = nullptr) {
        const auto choice = catalogue.matchLive(q, depth);
        if (step != nullptr) *step = choice ? choice->step : -1;
        return choice ? choice->title : std::string();
    }

    TempFolder folder;
    ModelDatabase& db = shippedDatabase();
    LiveryCatalogue catalogue{db};
};

} // namespace

TEST_F(Matching, StepsGoFromTheAircraftsOwnLiveryToUnbrandedOnes) {
    RegistrationLiveries regs;
    regs.titleByRegistration["PH-BXA"] = "KLM 737 Orange Pride";
    catalogue.build({livery("KLM 737 Orange Pride", "KLM", "B738", false, "PH-BXA"), livery("KLM 737", "KLM", "B738"),
                     livery("KLM 787-9", "KLM", "B789"), livery("Generic 777", "ZZZ", "B772"),
                     livery("Private Cessna", "PVT", "C172", false, "PH-ABC"), livery("Generic Cessna", "ZZZ", "C172")},
                    regs);
    int step = -1;
    // Depth 1 knows registration-specific liveries only.
    EXPECT_EQ(titleOf(aircraft("KLM", "B738", false, "PH-BXA"), 1, &step), "KLM 737 Orange Pride");
    EXPECT_EQ(step, 1);
    EXPECT_EQ(titleOf(aircraft("KLM", "B738", false, "PH-BXB"), 1), "");
    EXPECT_EQ(titleOf(aircraft("KLM", "B738", false, "PH-BXB"), 2, &step).substr(0, 7), "KLM 737");
    EXPECT_EQ(step, 2);
    // A cargo flight may wear a passenger livery, a 787-10 the airline's 787-9.
    EXPECT_EQ(titleOf(aircraft("KLM", "B789", true), 2, &step), "KLM 787-9");
    EXPECT_EQ(titleOf(aircraft("KLM", "B78X"), 2), "");
    EXPECT_EQ(titleOf(aircraft("KLM", "B78X"), 3, &step), "KLM 787-9");
    EXPECT_EQ(step, 3);
    // Unbranded liveries only at the deepest matching.
    EXPECT_EQ(titleOf(aircraft("KLM", "B772"), 3), "");
    EXPECT_EQ(titleOf(aircraft("KLM", "B772"), 4, &step), "Generic 777");
    EXPECT_EQ(step, 4);
    // Private aircraft: unbranded first, then the private liveries of their country.
    EXPECT_EQ(titleOf(aircraft("PVT", "C172", false, "PH-XYZ"), 2, &step), "Generic Cessna");
    EXPECT_EQ(step, 4);
    // A light type nobody has: a random unbranded light aircraft.
    EXPECT_EQ(titleOf(aircraft("PVT", "DR40", false, "F-GXYZ"), 4, &step), "Generic Cessna");
    EXPECT_EQ(step, 6);

    const auto counts = catalogue.matchesAtStep();
    EXPECT_EQ(counts[1], 1u);
    EXPECT_EQ(counts[3], 1u);
    EXPECT_EQ(counts[6], 1u);
    catalogue.logSummary();
    Log::instance().close();
    const std::string text = readFile(folder / "log.txt");
    EXPECT_NE(text.find("          KLMB78X =3= KLM 787-9"), std::string::npos) << text;
    EXPECT_NE(text.find("Matches at step: \n  0: 0\n  1: 1\n"), std::string::npos) << text;
}

TEST_F(Matching, SpecialAndRefusedLiveriesAreAvoided) {
    RegistrationLiveries regs;
    regs.titleByRegistration["PH-BHA"] = "KLM 787 Special";
    regs.specialRegistrations.insert("PH-BHA");
    regs.specialTitles.insert("KLM 787 Special");
    regs.titleByRegistration["PH-BHB"] = "KLM 787 Own";
    catalogue.build({livery("KLM 787 Special", "KLM", "B789"), livery("KLM 787", "KLM", "B789"), livery("KLM 787 Own", "KLM", "B789")},
                    regs);
    for (int i = 0; i < 50; ++i) EXPECT_NE(titleOf(aircraft("KLM", "B789", false, "PH-BHC")), "KLM 787 Special");
    int step = -1;
    EXPECT_EQ(titleOf(aircraft("KLM", "B789", false, "PH-BHA"), 4, &step), "KLM 787 Special");
    EXPECT_EQ(step, 0);
    // A refused title is never chosen again, not even for its own aircraft.
    EXPECT_EQ(catalogue.addFailedTitle("KLM 787 Own"), 1u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(titleOf(aircraft("KLM", "B789", false, "PH-BHB"), 4, &step), "KLM 787");
        EXPECT_EQ(step, 2);
    }
}

TEST_F(Matching, OperatorFlightsPreferTheBrandTheyFlyFor) {
    catalogue.build({livery("SkyWest CRJ900 Delta Connection", "SKW", "CRJ9"), livery("SkyWest CRJ900 United Express", "SKW", "CRJ9"),
                     livery("SkyWest CRJ900", "SKW", "CRJ9"), livery("United CRJ900", "UAL", "CRJ9"),
                     livery("KLM Cityhopper E190 for KLM", "KLM", "E190", false, {}, "KLC")},
                    {});
    for (int i = 0; i < 20; ++i) EXPECT_EQ(titleOf(aircraft("UAL", "CRJ9", false, {}, "SKW")), "SkyWest CRJ900 United Express");
    EXPECT_EQ(titleOf(aircraft("KLM", "E190", false, {}, "KLC")), "KLM Cityhopper E190 for KLM");
    // Parked aircraft that already carry a title keep it.
    const auto kept = catalogue.matchParked(aircraft("DAL", "CRJ9"), "Own title", 4);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->title, "Own title");
    EXPECT_EQ(catalogue.matchesAtStep()[2], 21u) << "parked aircraft do not count";
}

TEST(Regcodes, UserFilesWinOverTheShippedOnesAndMarkSpecialLiveries) {
    TempFolder folder;
    Log::instance().open(folder / "log.txt");
    writeFile(folder / "aig.xml", R"(<root><aig><l t="AIG KLM 1" r="PH-BXA"/><l t="AIG KLM 2" r="PH-BXB" s="1"/></aig></root>)");
    writeFile(folder / "my_regcodes" / "mine.TXT", "Mine KLM 1;PH-BXA\nshort\nMine Special;PH-BXC;#\nBad title;X\n");
    RegcodeSources sources;
    sources.sources.push_back(gf_readAigRegcodes(folder / "aig.xml"));
    bool failed = false;
    sources.sources.push_back(gf_readUserRegcodes(folder / "my_regcodes", failed));
    EXPECT_TRUE(failed) << "a code of invalid length is reported";
    sources.offlineReport = folder / "OfflineRegcodes.txt";
    sources.clashReport = folder / "errors" / "clashes.txt";
    const std::vector<LiveryData> liveries = {LiveryData{"Inline KLM", "KLM", "B738", "", "PH-BXA"},
                                              LiveryData{"Inline KLM 4", "KLM", "B738", "", "PH-BXD"}};
    const auto merged = gf_mergeRegcodes(sources, liveries);
    Log::instance().close();

    EXPECT_EQ(merged.titleByRegistration.at("PH-BXA"), "Mine KLM 1");
    EXPECT_EQ(merged.titleByRegistration.at("PH-BXD"), "Inline KLM 4");
    EXPECT_EQ(merged.specialTitles, (std::unordered_set<std::string>{"AIG KLM 2", "Mine Special"}));
    EXPECT_EQ(readFile(folder / "OfflineRegcodes.txt"), "   regcode PH-BXA for 'Mine KLM 1', instead of the same for 'AIG KLM 1'\n");
    EXPECT_NE(readFile(folder / "errors" / "clashes.txt").find("PH-BXA 'Inline KLM' => already in use by 'Mine KLM 1'"),
              std::string::npos);
    EXPECT_THROW(gf_readAigRegcodes(folder / "missing.xml"), std::runtime_error);
}

TEST(LiveriesScanned, AnElementWithoutItsRequiredAttributesStopsTheStartUp) {
    TempFolder folder;
    Log::instance().open(folder / "log.txt");
    writeFile(folder / "l.xml", R"(<root><liveries><livery a="KLM" t="KLM 737"/></liveries></root>)");
    try {
        gf_readLiveriesScanned(folder / "l.xml");
        FAIL();
    } catch (const UserErrorException& e) {
        EXPECT_EQ(e.message(), "Missing required attribute 'm' in <livery>");
    }
    writeFile(folder / "empty.xml", "<root><other/></root>");
    EXPECT_TRUE(gf_readLiveriesScanned(folder / "empty.xml").empty());
    Log::instance().close();
    EXPECT_NE(readFile(folder / "log.txt").find("does not contain a <liveries> section"), std::string::npos);
}

namespace {

// Livery-only packages name their aircraft by a base container; written after real ones.
class LiveryOnlyPackages : public ScanFolder {
protected:
    void SetUp() override {
        Log::instance().open(folder / "log.txt");
        settings.automatic = false;
        settings.packagesPath = packages;
        settings.result = folder / "LiveriesScanned.xml";
        settings.problemsFolder = folder.path();
        settings.version = "1.2.3";
        // The simulator's own A320neo, in its Official folder.
        writeFile(packages / "Official/OneStore/asobo-aircraft-a320-neo/SimObjects/Airplanes/Asobo_A320_NEO/aircraft.cfg",
                  "[VERSION]\r\nmajor = 1\r\n\r\n[GENERAL]\r\nicao_type_designator = \"A20N\" ; type\r\n\r\n"
                  "[FLTSIM.0]\r\ntitle = \"Airbus A320 Neo Asobo\"\r\n");
    }
    void livery(const std::string& package, const std::string& aircraft, const std::string& base, const std::string& title) {
        writeFile(packages / "Community" / package / "SimObjects/Airplanes" / aircraft / "aircraft.cfg",
                  "[VERSION]\nmajor = 2\n\n[VARIATION]\nbase_container = \"" + base + "\"\n\n[FLTSIM.0]\ntitle = \"" + title +
                      "\"\nicao_airline = \"KLM\"\natc_id = \"PH-XRA\"\n");
    }

    fs::path packages = folder / "Packages";
    LiveryScanSettings settings;
};

} // namespace

TEST_F(LiveryOnlyPackages, TheTypeComesFromTheBaseContainer) {
    livery("klm-a320", "Asobo_A320_KLM", "..\\Asobo_A320_NEO", "A320neo KLM");
    // A base of the package's own, written in another case, itself a variation of the A320neo.
    livery("klm-a320", "KLM_Cityhopper", "..\\klm_base", "A320neo KLM Cityhopper");
    writeFile(packages / "Community/klm-a320/SimObjects/Airplanes/KLM_Base/aircraft.cfg",
              "[Variation]\nbase_container=\"..\\Asobo_A320_NEO\"\n");
    livery("klm-a320", "Asobo_A320_Missing", "..\\Asobo_A399", "A399 KLM");
    settings.manualFolders[0] = (packages / "Community" / "klm-a320").string();
    const LiveryScanResult r = gf_scanLiveries(settings, shippedDatabase());
    ASSERT_NE(find(r, "A320neo KLM"), nullptr);
    EXPECT_EQ(find(r, "A320neo KLM")->model, "A20N");
    EXPECT_EQ(find(r, "A320neo KLM")->airline, "KLM");
    ASSERT_NE(find(r, "A320neo KLM Cityhopper"), nullptr);
    EXPECT_EQ(find(r, "A320neo KLM Cityhopper")->model, "A20N");
    // A base nowhere to be found makes the file invalid.
    EXPECT_EQ(find(r, "A399 KLM"), nullptr);
    EXPECT_EQ(r.invalidFiles, 1u);
    EXPECT_NE(log().find("base container '..\\Asobo_A399' of "), std::string::npos);
    EXPECT_NE(readFile(folder / "InvalidAircraftCfgFiles.txt").find("Asobo_A320_Missing"), std::string::npos);
}

TEST_F(LiveryOnlyPackages, RealLiveryPackagesOfOthers) {
    const fs::path real = fs::path(VORL_REAL_FIXTURES) / "aircraft_cfg";
    const fs::path fdi = real / "fdi-esports_MSFS_FDI_LIVERY";
    const fs::path dc3 = real / "dcheva_msfs_" / "dc3";
    if (!fs::exists(fdi) || !fs::exists(dc3)) GTEST_SKIP() << "the real aircraft.cfg samples are not at hand";
    // Installed as a user would: the packages in Community (copies in this test's own folder).
    fs::create_directories(packages / "Community");
    fs::copy(fdi, packages / "Community" / "fdi-livery", fs::copy_options::recursive);
    fs::copy(dc3, packages / "Community" / "dc3-livery", fs::copy_options::recursive);
    // The samples are read-only; the copies must go with the test's folder.
    for (const auto& entry : fs::recursive_directory_iterator(packages / "Community"))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    settings.manualFolders[0] = (packages / "Community" / "fdi-livery").string();
    settings.manualFolders[1] = (packages / "Community" / "dc3-livery").string();
    const LiveryScanResult r = gf_scanLiveries(settings, shippedDatabase());
    // base_container "..\Asobo_A320_NEO": the simulator's A320neo in another package.
    const LiveryData* fdiLivery = find(r, "Airbus A320 Neo FDI");
    ASSERT_NE(fdiLivery, nullptr) << log();
    EXPECT_EQ(fdiLivery->model, "A20N");
    EXPECT_EQ(fdiLivery->registration, "HB-FDI");
    // base_container "..\douglas-dc3" is not installed here: an invalid file, said so.
    EXPECT_EQ(r.invalidFiles, 1u);
    EXPECT_NE(log().find("base container '..\\douglas-dc3' of "), std::string::npos);
}

// What real aircraft.cfg files hold, each quirk in a small file of its own: charsets, line ends,
// the case of section names, broken section numbers, comments, blanks, empty files, packages in
// other packages, "Simobjects" spelt otherwise, and MSFS 2024's [LIVERY] sections.
TEST_F(LiveryOnlyPackages, QuirksOfRealFilesWrittenByHand) {
    const fs::path community = packages / "Community";
    const auto airplanes = [&](const std::string& package, const std::string& aircraft) {
        return community / package / "SimObjects/Airplanes" / aircraft / "aircraft.cfg";
    };
    // Latin-1, as older tools save it.
    writeFile(airplanes("latin1", "A320_IBE"),
              "[GENERAL]\nicao_type_designator=A320\n[FLTSIM.0]\ntitle=A320 Iberia Espa\xF1" "a\nicao_airline=IBE\n");
    // UTF-8 with a byte-order mark and CRLF.
    writeFile(airplanes("utf8bom", "B738_NAX"),
              "\xEF\xBB\xBF[General]\r\nicao_type_designator = \"B738\"\r\n[fltsim.0]\r\n"
              "title = \"B738 Norwegian \xC3\x85lesund\"\r\nicao_airline = NAX\r\n");
    // UTF-8 without a mark, LF, CRLF and a lone CR in one file, mixed-case section names.
    writeFile(airplanes("mixedends", "B77W_KLM"),
              "[GeNeRaL]\nicao_type_designator = B77W\r\n[FltSim.0]\rtitle = B77W KLM \xC3\x98rsted\r\nicao_airline = KLM\n");
    // A section number that is none, beside a good section; keys without blanks around "=".
    writeFile(airplanes("badnumber", "A20N_TRA"),
              "[GENERAL]\nicao_type_designator=\"A20N\"\n[FLTSIM.%]\ntitle=Template livery\nicao_airline=TRA\n"
              "[FLTSIM.1]\ntitle=\"A20N Transavia\"\nicao_airline=\"TRA\"\natc_id=PH-XRA\n");
    // "//" and ";" comments: whole lines, after section names and after values.
    writeFile(airplanes("comments", "E190_KLC"),
              "// made by hand\n; another comment\n[GENERAL] ; the aircraft\n"
              "icao_type_designator = E190 // Embraer\n[FLTSIM.0]\t\t// first livery\n"
              "title = E190 KLM Cityhopper ; shown in the simulator\nicao_airline = KLC // KLM Cityhopper\n");
    // An empty file, as found in a real published commit.
    writeFile(airplanes("empty", "Nothing"), "");
    // A package inside another package, its base in a package of a folder of the user's own.
    writeFile(community / "bundle/klm-fleet/SimObjects/Airplanes/B789_KLM/aircraft.cfg",
              "[VARIATION]\nbase_container = \"..\\Base_B789\"\n[FLTSIM.0]\ntitle = B789 KLM\nicao_airline = KLM\n");
    writeFile(community / "my-bases/boeing/base-b789/SimObjects/Airplanes/Base_B789/aircraft.cfg",
              "[GENERAL]\nicao_type_designator = B789\n[FLTSIM.0]\ntitle = B789 base\nicao_airline = ZZZZ\n");
    // "Simobjects" in other letters.
    writeFile(community / "lowercase/simobjects/airplanes/A320_KLM/aircraft.cfg",
              "[VARIATION]\nbase_container = \"..\\Asobo_A320_NEO\"\n[FLTSIM.0]\ntitle = A320neo KLM lower\nicao_airline = KLM\n");
    // MSFS 2024: the base in Official2024, the livery's base in a [LIVERY] section.
    writeFile(packages / "Official2024/OneStore/asobo-aircraft-b737max/SimObjects/Airplanes/Asobo_B737_Max8/aircraft.cfg",
              "[VERSION]\nmajor = 1\nminor = 0\n[GENERAL]\nicao_type_designator = \"B38M\"\n");
    writeFile(airplanes("klm-737max-2024", "KLM_B38M"),
              "[VERSION]\nmajor = 1\nminor = 0\n[LIVERY]\nbase_container = \"..\\Asobo_B737_Max8\"\n"
              "[FLTSIM.0]\ntitle = \"B38M KLM 2024\"\nicao_airline = \"KLM\"\n");
    settings.manualFolders[0] = community.string();
    const LiveryScanResult r = gf_scanLiveries(settings, shippedDatabase());
    const std::string text = log();

    const auto model = [&](const std::string& title) {
        const LiveryData* found = find(r, title);
        return found ? found->model + " " + found->airline : std::string("missing");
    };
    EXPECT_EQ(model("A320 Iberia Espa\xC3\xB1" "a"), "A320 IBE") << text;
    EXPECT_EQ(model("B738 Norwegian \xC3\x85lesund"), "B738 NAX");
    EXPECT_EQ(model("B77W KLM \xC3\x98rsted"), "B77W KLM");
    EXPECT_EQ(model("A20N Transavia"), "A20N TRA");
    EXPECT_EQ(find(r, "A20N Transavia")->registration, "PH-XRA");
    EXPECT_EQ(model("Template livery"), "missing");
    EXPECT_EQ(model("E190 KLM Cityhopper"), "E190 KLC");
    EXPECT_EQ(model("B789 KLM"), "B789 KLM");
    EXPECT_EQ(model("A320neo KLM lower"), "A20N KLM");
    EXPECT_EQ(model("B38M KLM 2024"), "B38M KLM");
    // The broken section is an incomplete one, the empty file an empty one; neither is invalid.
    EXPECT_EQ(r.incompleteSections, 1u);
    EXPECT_NE(text.find("fltsim num -1 incorrect"), std::string::npos);
    EXPECT_EQ(r.filesWithoutSections, 1u);
    EXPECT_NE(readFile(folder / "AircraftCfgWithNoFltsimSection.txt").find("Nothing"), std::string::npos);
    EXPECT_NE(text.find("    1 empty aircraft.cfg files, see AircraftCfgWithNoFltsimSection.txt"), std::string::npos);
    EXPECT_EQ(r.invalidFiles, 0u) << text;
}

TEST_F(LiveryOnlyPackages, NestedPackagesAreFoundByTheAutomaticScan) {
    settings.automatic = true;
    settings.selector = gf_parsePackageSelector("FSLTL");
    writeFile(packages / "Community/AI traffic/fsltl-traffic-base/SimObjects/Airplanes/FSLTL_A320_KLM/aircraft.cfg",
              "[GENERAL]\nicao_type_designator = A320\n[FLTSIM.0]\ntitle = FSLTL A320 KLM\nicao_airline = KLM\n");
    // Its own nested part is scanned with it, not a second time.
    writeFile(packages / "Community/AI traffic/fsltl-traffic-base/fsltl-traffic-base-extra/SimObjects/Airplanes/X/aircraft.cfg",
              "[GENERAL]\nicao_type_designator = A321\n[FLTSIM.0]\ntitle = FSLTL A321 KLM\nicao_airline = KLM\n");
    const LiveryScanResult r = gf_scanLiveries(settings, shippedDatabase());
    const std::string text = log();
    EXPECT_NE(find(r, "FSLTL A320 KLM"), nullptr) << text;
    EXPECT_NE(find(r, "FSLTL A321 KLM"), nullptr);
    EXPECT_EQ(text.find("already exists"), std::string::npos) << text;
    EXPECT_NE(text.find("Automatic FSLTL scan found folder: '"), std::string::npos);
}

// Every real aircraft.cfg of the shared sample scanned at once, installed as a user would have
// them in Community (copies in this test's own folder).
TEST_F(LiveryOnlyPackages, EveryRealSampleIsReadAsAUserExpects) {
    const fs::path real = fs::path(VORL_REAL_FIXTURES) / "aircraft_cfg";
    if (!fs::exists(real)) GTEST_SKIP() << "the real aircraft.cfg samples are not at hand";
    const fs::path installed = packages / "Community" / "real-samples";
    fs::create_directories(installed.parent_path());
    fs::copy(real, installed, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(installed))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    settings.manualFolders[0] = installed.string();
    const LiveryScanResult r = gf_scanLiveries(settings, shippedDatabase());
    const std::string text = log();
    const auto model = [&](const std::string& title) {
        const LiveryData* found = find(r, title);
        return found ? found->model : std::string("missing");
    };
    // 11 sections with non-ASCII text, "key = v" beside "key=v"; the type "142" is one the
    // model database knows a fix for.
    EXPECT_EQ(model("Just Flight 146-200 DCX"), "B462") << text;
    EXPECT_EQ(model("Just Flight 146-200 QantasLink"), "B462");
    EXPECT_NE(text.find("Model fix: 142 found in "), std::string::npos);
    // "Title=" and `icao_type_designator ="B350"`.
    EXPECT_EQ(model("Black Square King Air 350 Default Blue"), "B350");
    // CRLF files and files without a final line end.
    EXPECT_EQ(model("Bonanza G36 Asobo"), "BE36");
    EXPECT_EQ(model("Baron G58 Asobo"), "BE58");
    EXPECT_EQ(model("Cessna 152 Asobo"), "C152");
    // A livery package on the simulator's own A320neo.
    EXPECT_EQ(model("Airbus A320 Neo FDI"), "A20N");
    // A Prepar3D file names no type: invalid, and none of its 63 sections is taken.
    EXPECT_EQ(model("PMDG 777-300ER PMDG House"), "missing");
    const std::string invalid = readFile(folder / "InvalidAircraftCfgFiles.txt");
    EXPECT_NE(invalid.find("woajaja_P3D-PMDG-777-300ER"), std::string::npos) << invalid;
    // The lone [FLTSIM.%] fragment has no [GENERAL] either.
    EXPECT_NE(invalid.find((fs::path("Submissions") / "Template").string()), std::string::npos) << invalid;
    // The 0-byte file of a real commit is reported as empty, not as broken.
    EXPECT_NE(readFile(folder / "AircraftCfgWithNoFltsimSection.txt").find("history_56e7da7_empty_cfg"), std::string::npos);
    EXPECT_EQ(invalid.find("history_56e7da7_empty_cfg"), std::string::npos);
}
