#include <gtest/gtest.h>

#include <cmath>

#include "airports/AddonAirportScan.h"
#include "airports/AirportFileLocator.h"
#include "common/Geodesy.h"
#include "common/Log.h"
#include "common/ZipArchive.h"
#include "tests/support/TempFolder.h"
#include "tools/sceneries/Sceneries.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;
using vorl::tools::gf_sampleAirport;
using vorl::tools::gf_writeScenery;
using vorl::tools::SceneryPackage;

namespace {

class AddonAirportScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::instance().open(folder / "log.txt");
        for (const auto& [code, lat, lon] : {std::tuple{"EHLE", 52.46, 5.52}, {"EHBK", 51.26, 5.6},
                                             {"EHRD", 51.96, 4.44}, {"EHAM", 52.31, 4.76}, {"EHGG", 53.12, 6.58}}) {
            AirportInfo info;
            info.icao = IcaoCode(code);
            info.latitude = lat;
            info.longitude = lon;
            db.table.push_back(info);
            db.codes.insert(info.icao);
        }
        // PACK is a listed code that is no known airport.
        writeFile(folder / "ICAO_airports.txt", "EHLE\nEHBK\nEHRD\nEHAM\nEHGG\nPACK\n");
        settings.folders = {{install / "Community", true, false}, {install / "Official", false, false}};
        settings.icaoList = folder / "ICAO_airports.txt";
        settings.airportsFolder = folder / "airports";
        settings.tbloFolder = folder / "tblo";
        settings.scanLog = folder / "output" / "AirportsScanLog.txt";
    }
    void TearDown() override { Log::instance().close(); }

    std::string log() const { return readFile(folder / "log.txt"); }
    void package(const std::string& where, const std::string& title, const std::string& creator,
                 const std::string& bgl, const std::string& icao, int gates = 3) {
        gf_writeScenery(install, {where, title, creator, creator, "1.2.0", bgl,
                                  {gf_sampleAirport(icao, title, 52.0, 5.0, gates, 1, 1)}});
    }
    bool generated(const std::string& folderName, const std::string& icao) const {
        return fs::exists(folder / "airports" / folderName / (icao + ".xml"));
    }

    TempFolder folder;
    fs::path install = folder / "sim";
    AirportDatabase db;
    AirportScanSettings settings;
};

TEST_F(AddonAirportScanTest, NamesTheAirportByPathStemOrManifestAndSkipsFilteredFolders) {
    package("Community/pub-airport-ehle-lelystad", "Lelystad", "Demo Sceneries", "scenery/x/ehle.bgl", "EHLE");
    package("Community/budel-kempen", "Kempen", "Demo Sceneries", "scenery/EHBK.bgl", "EHBK");
    package("Community/groningen", "EHGG Groningen Eelde", "Demo Sceneries", "scenery/airport.bgl", "EHGG");
    package("Community/pack-scenery", "Some scenery", "Demo Sceneries", "scenery/objects.bgl", "EHAM");
    package("Community/ehrd-statics", "EHRD statics", "Demo Sceneries", "scenery/EHRD.bgl", "EHRD");
    package("Community/fsltl-traffic-ehrd", "EHRD", "FSLTL", "scenery/EHRD.bgl", "EHRD");
    package("Official/OneStore/microsoft-airport-ehrd-rotterdam", "Rotterdam", "Microsoft", "scenery/ehrd/a.bgl", "EHRD");
    settings.archived = [](const std::string& path) { return path == "archive/simaddon/EHRD.xml"; };

    const AirportScanResult result = gf_scanAirports(settings, db);
    EXPECT_EQ(result.thirdparty, 3);
    EXPECT_EQ(result.simaddon, 1);
    EXPECT_TRUE(generated("my_thirdparty", "EHLE"));
    EXPECT_TRUE(generated("my_thirdparty", "EHBK"));
    EXPECT_TRUE(generated("my_thirdparty", "EHGG"));
    EXPECT_TRUE(generated("my_simaddon", "EHRD"));
    EXPECT_FALSE(generated("my_thirdparty", "EHRD")) << "statics and traffic folders are not scanned";
    EXPECT_FALSE(generated("my_thirdparty", "EHAM")) << "PACK is no supported airport and EHAM is not named";

    const std::string text = log();
    EXPECT_NE(text.find("airport has code 'EHLE' in BGL path"), std::string::npos);
    EXPECT_NE(text.find("code 'EHBK' as stem"), std::string::npos);
    EXPECT_NE(text.find("airport has code 'EHGG' in title of manifest"), std::string::npos);
    EXPECT_NE(text.find("no supported airport 'PACK' in BGL path"), std::string::npos);
    EXPECT_NE(text.find("PACK is not an airport supported by RealTraffic"), std::string::npos);
    EXPECT_NE(text.find("simaddon airport EHRD linked to archive/simaddon/EHRD.xml\n"), std::string::npos);
    EXPECT_NE(text.find("thirdparty Demo Sceneries EHLE does not exist"), std::string::npos);

    // The generated file is what the parking reads; the simaddon one is linked to the archive.
    const std::string ehle = readFile(folder / "airports/my_thirdparty/EHLE.xml");
    EXPECT_NE(ehle.find("name=\"publisher\" value=\"Demo Sceneries\""), std::string::npos);
    EXPECT_NE(ehle.find("name=\"version\" value=\"1.2.0\""), std::string::npos);
    EXPECT_NE(ehle.find("name=\"BGLpath\""), std::string::npos);
    EXPECT_NE(ehle.find("name=\"num_parkpos\" value=\"5\""), std::string::npos) << "3 gates, 1 ramp, 1 helipad";
    EXPECT_EQ(gf_readRedirect(folder / "airports/my_simaddon/EHRD.txt"), "archive/simaddon/EHRD.xml");

    // The three airports the archive does not know are zipped for the maker.
    EXPECT_EQ(result.unknownToArchive.size(), 3u);
    ASSERT_TRUE(result.zipped);
    ZipArchive zip(folder / "tblo" / "tblo.zip", ZipArchive::Mode::Read);
    auto names = zip.entryNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"EHBK.xml", "EHGG.xml", "EHLE.xml"}));
    EXPECT_NE(readFile(settings.scanLog).find("EHLE Demo Sceneries"), std::string::npos);
}

// A real package keeps its airport in a file of any name, and its AIRPORT.BGL may hold none.
TEST_F(AddonAirportScanTest, TheAirportMayBeInAFileOfAnyName) {
    auto eelde = gf_sampleAirport("EHGG", "Groningen Eelde", 53.12, 6.58, 10, 1, 0);
    eelde.altitudeM = -1.0;
    gf_writeScenery(install, {"Community/pub-groningen", "EHGG Groningen Eelde", "Pub", "Pub", "2.0.1",
                              "scenery/polygon.bgl", {eelde}, {"scenery/AIRPORT.BGL"}});
    const AirportScanResult result = gf_scanAirports(settings, db);
    EXPECT_EQ(result.thirdparty, 1);
    ASSERT_TRUE(generated("my_thirdparty", "EHGG"));
    // Whichever file the walk meets first, the airport comes from polygon.bgl.
    const std::string ehgg = readFile(folder / "airports/my_thirdparty/EHGG.xml");
    EXPECT_NE(ehgg.find("polygon.bgl"), std::string::npos);
    EXPECT_NE(ehgg.find("name=\"altitude\" value=\"-3\""), std::string::npos) << "below sea level";
    EXPECT_NE(ehgg.find("id=\"A10L\""), std::string::npos) << "the name suffix is part of the id";
    EXPECT_NE(ehgg.find("name=\"num_parkpos\" value=\"11\""), std::string::npos);
}

TEST_F(AddonAirportScanTest, LongFolderPathsAreSkippedAndEarlierFilesReplaced) {
    // Folders of 249 and 250 characters, each holding a scenery of its own.
    const std::string base = (install / "Community").string() + "/";
    const auto padded = [&](std::size_t length, const char* tag) {
        std::string name = std::string(tag) + "-";
        return base + name + std::string(length - base.size() - name.size(), 'x');
    };
    const fs::path scanned = padded(249, "ehle"), skipped = padded(250, "ehbk");
    ASSERT_EQ(scanned.string().size(), 249u);
    gf_writeScenery("/", {scanned.relative_path(), "a", "Pub", "Pub", "1", "EHLE.bgl", {gf_sampleAirport("EHLE", "a", 52, 5, 2, 0, 0)}});
    gf_writeScenery("/", {skipped.relative_path(), "b", "Pub", "Pub", "1", "EHBK.bgl", {gf_sampleAirport("EHBK", "b", 52, 5, 2, 0, 0)}});
    // What an earlier scan left, and a file of the user's own.
    writeFile(folder / "airports/my_thirdparty/EHAM.xml", "<root><parameters><parameter name=\"BGLpath\" value=\"x\"/></parameters></root>");
    writeFile(folder / "airports/my_simaddon/EHGG.txt", "archive/simaddon/EHGG.xml\n");
    writeFile(folder / "airports/my_thirdparty/EHRD.xml", "<root>made by hand</root>");

    const AirportScanResult result = gf_scanAirports(settings, db);
    EXPECT_TRUE(generated("my_thirdparty", "EHLE"));
    EXPECT_FALSE(generated("my_thirdparty", "EHBK"));
    EXPECT_FALSE(fs::exists(folder / "airports/my_thirdparty/EHAM.xml"));
    EXPECT_FALSE(fs::exists(folder / "airports/my_simaddon/EHGG.txt"));
    EXPECT_TRUE(fs::exists(folder / "airports/my_thirdparty/EHRD.xml"));
    EXPECT_EQ(result.thirdparty, 1);
    EXPECT_NE(log().find("Official does not exist, skipped!"), std::string::npos);
}

TEST_F(AddonAirportScanTest, FacilityDataWinsAndTheBglFileIsTheFallback) {
    package("Community/pub-airport-ehle", "Lelystad", "Pub", "scenery/ehle.bgl", "EHLE", 4);
    package("Community/pub-airport-ehbk", "Kempen", "Pub", "scenery/ehbk.bgl", "EHBK", 2);
    std::vector<std::string> asked;
    settings.readFacilities = [&](const std::string& icao) -> std::optional<FacilityAirport> {
        asked.push_back(icao);
        if (icao != "EHLE") return std::nullopt;
        FacilityAirport data;
        data.latitude = 52.46;
        data.longitude = 5.52;
        data.altitudeM = -3.0;
        data.name = "Lelystad Airport";
        data.parkings = {{9, 12, 0, 1, 90.0f, 20.0f, 10.0f, -10.0f}, {13, 1, 0, 2, 0.0f, 5.0f, 0.0f, 0.0f},
                         {2, 1, 0, 3, 0.0f, 8.0f, -5.0f, 5.0f}};
        data.helipads = {{52.461, 5.521, 0.0, 45.0f, 20.0f, 20.0f, 0, 2}};
        return data;
    };
    gf_scanAirports(settings, db);
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"EHBK", "EHLE"}));

    const std::string ehle = readFile(folder / "airports/my_thirdparty/EHLE.xml");
    EXPECT_NE(ehle.find("name=\"Facilities\" value=\"true\""), std::string::npos);
    EXPECT_NE(ehle.find("name=\"airport_name\" value=\"Lelystad Airport\""), std::string::npos);
    EXPECT_NE(ehle.find("name=\"altitude\" value=\"-10\""), std::string::npos);
    EXPECT_NE(ehle.find("name=\"num_parkpos\" value=\"3\""), std::string::npos) << "the vehicle parking is left out";
    // BIAS_X 10, BIAS_Z -10: 10 m east and 10 m south of the reference point.
    EXPECT_NE(ehle.find("id=\"A1\""), std::string::npos);
    const LatLon reference{52.46, 5.52};
    const LatLon east = gf_destinationPoint(reference, 90.0, 10.0 / 0.3048);
    const LatLon place = gf_destinationPoint(east, 180.0, 10.0 / 0.3048);
    EXPECT_NE(ehle.find(fmt::format("latitude=\"{:.6f}\" longitude=\"{:.6f}\"", place.lat, place.lon)), std::string::npos);
    EXPECT_LT(place.lat, reference.lat);
    EXPECT_GT(place.lon, reference.lon);
    EXPECT_NE(ehle.find("id=\"helipad1\""), std::string::npos);
    EXPECT_NE(ehle.find("radius=\"14.0\""), std::string::npos) << "a square helipad: 0.7 of its length";

    const std::string ehbk = readFile(folder / "airports/my_thirdparty/EHBK.xml");
    EXPECT_NE(ehbk.find("name=\"Facilities\" value=\"false\""), std::string::npos);
    const std::string text = log();
    EXPECT_NE(text.find("Reading Facilites data for EHBK via SimConnect failed, is MSFS connected?"), std::string::npos);
    EXPECT_NE(text.find("Facilities reader did not succeed, trying the BGL file reader ..."), std::string::npos);
}

TEST_F(AddonAirportScanTest, NothingFoundIsSaidAndAnUnreadableFolderDoesNotStopTheScan) {
    fs::create_directories(install / "Community" / "empty-package");
    writeFile(install / "Official", "not a folder");
    const AirportScanResult result = gf_scanAirports(settings, db);
    EXPECT_EQ(result.message, "Warning: Scan has not found any add-on airports");
    EXPECT_NE(log().find("Official is not a folder name, skipped!"), std::string::npos);
    EXPECT_EQ(gf_archivePathFor("EHLE", "Demo Sceneries", "1.2.0"), "archive/thirdparty/Demo%20Sceneries/EHLE120.xml");
}

} // namespace
