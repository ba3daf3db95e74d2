#include <gtest/gtest.h>

#include "app/InstallDetection.h"
#include "app/Parameters.h"
#include "common/Log.h"
#include "common/UserErrorException.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

struct Installation : ::testing::Test {
    TempFolder dir;
    Parameters params;
    SimulatorFolders folders;
    void SetUp() override {
        Log::instance().open(dir / "Log.txt");
        params.setFile(dir / "parameters.xml");
        params.readAll();
        folders.roamingAppData = dir / "roaming";
        folders.localAppData = dir / "local";
    }
    void TearDown() override { Log::instance().close(); }
    fs::path makeInstall(const fs::path& at, const char* official = "Official") {
        fs::create_directories(at / "Community");
        fs::create_directories(at / official);
        return at;
    }
    std::string log() const { return vorl::test::readFile(dir / "Log.txt"); }
};

} // namespace

TEST_F(Installation, SteamPackagesWinOverUserCfgWhenTheyValidate) {
    const fs::path steam = makeInstall(folders.roamingAppData / "Microsoft Flight Simulator" / "Packages");
    const fs::path other = makeInstall(dir / "store");
    writeFile(folders.localAppData / "Packages" / "Microsoft.FlightSimulator_8wekyb3d8bbwe" / "LocalCache" / "UserCfg.opt",
              "Version 1\nInstalledPackagesPath \"" + other.string() + "\"\n");
    ASSERT_TRUE(gf_detectInstallPath(params, folders));
    EXPECT_EQ(params.ALL_INSTALL_PATH.value(), steam.string());
    EXPECT_EQ(params.MSFS_INSTALL_PATH.value(), steam.string());
    EXPECT_NE(log().find("Steam packages: " + steam.string()), std::string::npos);
}

TEST_F(Installation, StoreUserCfgNamesThePackagesOf2024) {
    folders.msfs2020 = false;
    const fs::path store = makeInstall(dir / "D" / "MSFS2024", "Official2024");
    writeFile(folders.localAppData / "Packages" / "Microsoft.Limitless_8wekyb3d8bbwe" / "LocalCache" / "UserCfg.opt",
              "{Graphics\n}\nInstalledPackagesPath \"" + store.string() + "\"\n");
    ASSERT_TRUE(gf_detectInstallPath(params, folders));
    EXPECT_EQ(params.MSFS_2024_INSTALL_PATH.value(), store.string());
    EXPECT_TRUE(params.MSFS_INSTALL_PATH.empty());
    EXPECT_NE(log().find("UserCfg.opt: InstalledPackagesPath=" + store.string()), std::string::npos);
}

TEST_F(Installation, NothingFoundAsksTheUser) {
    EXPECT_FALSE(gf_detectInstallPath(params, folders));
    EXPECT_NE(log().find("==> MSFS detection, not found: "), std::string::npos);
    EXPECT_NE(log().find("No UserCfg.opt found?"), std::string::npos);
    try {
        gf_requireInstallPath(params, folders);
        FAIL() << "no exception";
    } catch (const UserErrorException& e) {
        EXPECT_EQ(e.code(), 150);
    }
}

TEST_F(Installation, StoredCommunityPathIsShortenedToItsParent) {
    params.MSFS_INSTALL_PATH.set("C:\\MSFS\\Packages\\Community");
    gf_takeStoredInstallPath(params, folders);
    EXPECT_EQ(params.MSFS_INSTALL_PATH.value(), "C:\\MSFS\\Packages");
    EXPECT_EQ(params.ALL_INSTALL_PATH.value(), "C:\\MSFS\\Packages");
    params.MSFS_INSTALL_PATH.set("/games/msfs/Community");
    gf_takeStoredInstallPath(params, folders);
    EXPECT_EQ(params.ALL_INSTALL_PATH.value(), "/games/msfs");
}

TEST_F(Installation, TypedPathsWithTheirMessages) {
    const fs::path install = makeInstall(dir / "games" / "Packages");
    auto r = gf_applyTypedInstallPath(params, folders, (dir / "nowhere").string());
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.status, "This install path does not exist: " + (dir / "nowhere").string());

    fs::create_directories(dir / "plain");
    r = gf_applyTypedInstallPath(params, folders, (dir / "plain").string());
    EXPECT_EQ(r.status, "This path exists but is not a path to Community ...");

    fs::create_directories(dir / "half" / "Community");
    r = gf_applyTypedInstallPath(params, folders, (dir / "half").string());
    EXPECT_EQ(r.status, "This path does not contain a valid Community folder (unexpected).");

    r = gf_applyTypedInstallPath(params, folders, (install / "Community").string() + "//");
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.status, "Community path found, VORL will restart ...");
    EXPECT_EQ(params.ALL_INSTALL_PATH.value(), install.string());
    EXPECT_EQ(params.MSFS_INSTALL_PATH.value(), install.string());

    r = gf_applyTypedInstallPath(params, folders, install.string() + "/");
    EXPECT_TRUE(r.accepted);
    r = gf_applyTypedInstallPath(params, folders, "");
    EXPECT_FALSE(r.accepted);
    EXPECT_TRUE(params.MSFS_INSTALL_PATH.empty());
}
