// A user with the default settings (no download server) parks at an airport the install folder
// ships an archived airport file for: the whole program takes the file from there and places
// the parked traffic on its stands as static aircraft.
#include <regex>

#include <gtest/gtest.h>

#include "common/Geodesy.h"
#include "sim/SimSession.h"
#include "standins/sim/SimStandIn.h"
#include "tests/app/WholeProgram.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::WholeProgram;

namespace {

// The install folder as the build makes it: the shipped archive beside input/ and docs/.
void lf_installArchive(const fs::path& installFolder, const test::FakeSimulator&) {
    fs::copy(VORL_INSTALL_ARCHIVE, installFolder / "archive", fs::copy_options::recursive);
}

} // namespace

TEST(ShippedArchive, WithoutADownloadServerTheStaticsStandOnTheShippedStands) {
    ASSERT_TRUE(fs::exists(fs::path(VORL_INSTALL_ARCHIVE) / "stock" / "EHAM.xml"));
    WholeProgram run({}, lf_installArchive);
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    auto* sim = dynamic_cast<standin::SimStandIn*>(gf_simSession().backend());
    ASSERT_NE(sim, nullptr);
    // The parked KLM1391 stands at B11 of the shipped EHAM file, within 2 m, and shuts down
    // once the simulator has settled it: engines off.
    const auto parked = [&] {
        for (const auto& o : sim->objects())
            if (o.tailNumber == "KLM1391" && gf_distanceNm(o.lat, o.lon, 52.309876, 4.766069) * 1852.0 < 2.0)
                return o.lastEvents.count("ENGINE_AUTO_SHUTDOWN") > 0;
        return false;
    };
    ASSERT_TRUE(run.waitFor(parked, std::chrono::seconds(60))) << run.log();
    EXPECT_EQ(run.close(), 0);

    const std::string log = run.log();
    EXPECT_NE(log.find("archived airport file 'archive/stock/EHAM.xml' taken from the install folder"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("failed to download"), std::string::npos) << "no server is asked";
    EXPECT_TRUE(std::regex_search(log, std::regex("(^|[^0-9])[1-9][0-9]* static aircraft placed at EHAM")))
        << log;
    EXPECT_NE(log.find("B11     : KLM1391  parked"), std::string::npos) << log;
    EXPECT_TRUE(fs::exists(run.dir / "airports" / "learned" / "stock" / "EHAM.xml"));
}
