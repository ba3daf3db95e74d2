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

namespace {

// The four places a UserCfg.opt is looked for first: the store and Steam versions of each
// simulator, written out here as the simulators' installers lay them out.
struct UserCfgPlace {
    bool msfs2020;
    fs::path relative; // below local (store) or roaming (Steam) application data
    bool store;
};
const std::vector<UserCfgPlace>& lf_userCfgPlaces() {
    static const std::vector<UserCfgPlace> places{
        {true, "Packages/Microsoft.FlightSimulator_8wekyb3d8bbwe/LocalCache/UserCfg.opt", true},
        {true, "Microsoft Flight Simulator/UserCfg.opt", false},
        {false, "Packages/Microsoft.Limitless_8wekyb3d8bbwe/LocalCache/UserCfg.opt", true},
        {false, "Microsoft Flight Simulator 2024/UserCfg.opt", false},
    };
    return places;
}

std::string lf_placeName(const UserCfgPlace& place) {
    return std::string(place.msfs2020 ? "2020 " : "2024 ") + (place.store ? "store" : "Steam");
}

// The real file's own text with the path of its last line replaced by `path`.
std::string lf_pointedAt(std::string text, const std::string& path) {
    const auto key = text.find("InstalledPackagesPath \"");
    const auto open = text.find('"', key);
    const auto close = text.find('"', open + 1);
    return text.replace(open + 1, close - open - 1, path);
}

} // namespace

// A real UserCfg.opt written by the simulator: "Version 66", tab-indented {Block} sections with
// nested blocks, and the packages path quoted on the last line.
TEST_F(Installation, RealUserCfgIsReadInEveryPlace) {
    const fs::path real = fs::path(VORL_REAL_FIXTURES) / "usercfg_opt" / "dcheva_MSFS";
    if (!fs::exists(real / "UserCfg.opt")) GTEST_SKIP() << "the real UserCfg.opt samples are not at hand";
    for (const fs::path& file : {real / "UserCfg.opt", real / "history_a41bb34" / "UserCfg.opt"}) {
        const std::string text = vorl::test::readFile(file);
        for (const UserCfgPlace& place : lf_userCfgPlaces()) {
            SCOPED_TRACE(lf_placeName(place) + " " + file.string());
            TempFolder user;
            SimulatorFolders own;
            own.msfs2020 = place.msfs2020;
            own.localAppData = user / "local";
            own.roamingAppData = user / "roaming";
            const fs::path at = (place.store ? own.localAppData : own.roamingAppData) / place.relative;
            // As written it names the owner's C:\Games\MSFS, which is not here.
            writeFile(at, text);
            EXPECT_EQ(gf_locateUserCfg(own), at);
            EXPECT_FALSE(gf_installedPackagesPath(own));
            EXPECT_NE(log().find("UserCfg.opt: InstalledPackagesPath=C:\\Games\\MSFS\n"), std::string::npos);
            // Pointed at an installation that is here, it finds it.
            const fs::path install = makeInstall(user / "Games" / "MSFS", place.msfs2020 ? "Official" : "Official2024");
            writeFile(at, lf_pointedAt(text, install.string()));
            Parameters fresh;
            fresh.setFile(user / "parameters.xml");
            fresh.readAll();
            ASSERT_TRUE(gf_detectInstallPath(fresh, own));
            EXPECT_EQ(fresh.ALL_INSTALL_PATH.value(), install.string());
            EXPECT_EQ((place.msfs2020 ? fresh.MSFS_INSTALL_PATH : fresh.MSFS_2024_INSTALL_PATH).value(),
                      install.string());
        }
    }
}

// The same shape written by hand, with what else the simulator's files hold: CRLF line ends, a
// key line without a final line end, nested blocks indented by tabs, a value after a tab.
TEST_F(Installation, HandWrittenUserCfgWithTabsAndCrlf) {
    for (const UserCfgPlace& place : lf_userCfgPlaces()) {
        SCOPED_TRACE(lf_placeName(place));
        TempFolder user;
        SimulatorFolders own;
        own.msfs2020 = place.msfs2020;
        own.localAppData = user / "local";
        own.roamingAppData = user / "roaming";
        const fs::path install = makeInstall(user / "D" / "MSFS Packages", place.msfs2020 ? "Official" : "Official2024");
        const fs::path at = (place.store ? own.localAppData : own.roamingAppData) / place.relative;
        const std::string blocks = "Version 66\r\n{Video\r\n\tAdapter \"NVIDIA GeForce GTX 1660\"\r\n\tMonitor 0\r\n"
                                   "\t{VectorDataTessellation\r\n\t\tEnabled 1\r\n\t}\r\n}\r\n{Sound\r\n\tMuted 0\r\n}\r\n";
        writeFile(at, blocks + "InstalledPackagesPath \"" + install.string() + "\"");
        auto found = gf_installedPackagesPath(own);
        ASSERT_TRUE(found);
        EXPECT_EQ(*found, install);

        writeFile(at, blocks + "InstalledPackagesPath\t" + install.string() + " \t\r\n");
        found = gf_installedPackagesPath(own);
        ASSERT_TRUE(found);
        EXPECT_EQ(*found, install);
        EXPECT_NE(log().find("UserCfg.opt: InstalledPackagesPath=" + install.string() + "\n"), std::string::npos);
    }
}
