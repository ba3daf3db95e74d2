// Saving on a full disk: every file the program keeps (settings, learned airport files, the
// livery catalogue, generated airport files) is written whole or not at all, so the previous
// one stays readable. The disk is a tiny tmpfs filled to the last byte; the tests are skipped
// where mounting is not allowed.
#include <sys/mount.h>

#include <fstream>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "airports/AirportFileXml.h"
#include "app/Parameters.h"
#include "common/Log.h"
#include "common/SafeWrite.h"
#include "models/LiveryCatalogue.h"
#include "models/LiveryScan.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;

namespace {

class DiskFull : public ::testing::Test {
protected:
    void SetUp() override {
        Log::instance().open(dir / "Log.txt");
        fs::create_directories(disk);
        if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0) GTEST_SKIP() << "tmpfs cannot be mounted here";
        mounted = true;
    }
    void TearDown() override {
        if (mounted) ::umount(disk.c_str());
        Log::instance().close();
    }
    // Takes every free byte of the disk.
    void fill() {
        std::ofstream out(disk / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (out.write(block.data(), block.size())) {}
        out.close();
        std::ofstream tail(disk / "filler2", std::ios::binary);
        while (tail.put('x')) {}
    }

    TempFolder dir;
    fs::path disk = dir / "disk";
    bool mounted = false;
};

TEST_F(DiskFull, SettingsKeepTheirLastSavedValues) {
    Parameters params;
    params.setFile(disk / "parameters.xml");
    params.RANGE.set(3);
    ASSERT_TRUE(params.save(params.RANGE));
    fill();
    params.RANGE.set(5);
    EXPECT_FALSE(params.save(params.RANGE));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((disk / "parameters.xml").c_str())) << "the old file is still whole";
    const auto node = doc.child("root").child("parameters").find_child_by_attribute("parameter", "name", "RANGE");
    EXPECT_STREQ(node.attribute("value").as_string(), "3");
    EXPECT_NE(readFile(dir / "Log.txt").find("saving: " + (disk / "parameters.xml").string() + " failed"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(disk))
        EXPECT_NE(entry.path().extension(), ".tmp") << "no temporary file is left behind";
}

TEST_F(DiskFull, AirportAndLearnedFilesStayAsTheyWere) {
    AirportState state;
    state.icao = "EHLE";
    state.name = "Lelystad";
    state.publisher = "simaddon";
    for (int i = 0; i < 40; ++i) {
        Stand stand;
        stand.id = "A" + std::to_string(i);
        stand.latitude = 52.46 + i * 1e-4;
        stand.longitude = 5.52;
        state.stands.push_back(stand);
    }
    const fs::path file = disk / "EHLE.xml";
    ASSERT_TRUE(gf_writeAirportFile(state, file, AirportFileKind::LearnedFile));
    const std::string before = readFile(file);
    fill();
    state.stands.resize(80, state.stands.front());
    for (std::size_t i = 40; i < state.stands.size(); ++i) state.stands[i].id = "B" + std::to_string(i);
    std::string error;
    EXPECT_FALSE(gf_writeAirportFile(state, file, AirportFileKind::LearnedFile, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(file), before);
    EXPECT_FALSE(gf_writeAirportFile(state, disk / "EHBK.xml", AirportFileKind::AirportFile));
    EXPECT_FALSE(fs::exists(disk / "EHBK.xml")) << "no half-written generated file";
}

TEST_F(DiskFull, TheLiveryCatalogueIsNotCutShort) {
    std::vector<LiveryData> liveries;
    for (int i = 0; i < 50; ++i) liveries.push_back({"AIG B738 KLM " + std::to_string(i), "KLM", "B738", "", "", false, 1});
    const fs::path file = disk / "LiveriesScanned.xml";
    gf_writeLiveriesScanned(file, "0.1.0", liveries);
    ASSERT_EQ(gf_readLiveriesScanned(file).size(), 50u);
    fill();
    liveries.resize(500, liveries.front());
    gf_writeLiveriesScanned(file, "0.1.0", liveries);
    EXPECT_EQ(gf_readLiveriesScanned(file).size(), 50u);
    EXPECT_NE(readFile(dir / "Log.txt").find("Error writing file " + file.string()), std::string::npos);
}

} // namespace
