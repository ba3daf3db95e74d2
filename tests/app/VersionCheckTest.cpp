// The version check and self-update against the maker's download server stand-in.
#include <gtest/gtest.h>
#include <zip.h>

#include "app/AppPaths.h"
#include "app/HeadlessFrontEnd.h"
#include "app/Parameters.h"
#include "app/RunControl.h"
#include "app/VersionCheck.h"
#include "common/Log.h"
#include "common/UserErrorException.h"
#include "common/Version.h"
#include "common/ZipArchive.h"
#include "standins/download/DownloadServerStandIn.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

std::string versionJson(const std::string& key, const VersionData& v) {
    return fmt::format("\"{}\": {{\"major\": {}, \"minor\": {}, \"patch\": {}}}", key, v.major, v.minor, v.patch);
}

void makeZip(const fs::path& zipPath, const std::vector<std::pair<std::string, std::string>>& entries) {
    const fs::path staging = zipPath.parent_path() / "staging";
    ZipArchive zip(zipPath, ZipArchive::Mode::Create);
    int n = 0;
    for (const auto& [name, content] : entries) {
        const fs::path file = staging / std::to_string(n++);
        writeFile(file, content);
        zip.add(name, file);
    }
    ASSERT_TRUE(zip.commit());
}

struct VersionCheck : ::testing::Test {
    TempFolder dir;
    fs::path server = dir / "server";
    AppPaths paths;
    Parameters params;
    HeadlessFrontEnd frontEnd{std::nullopt};
    std::unique_ptr<standin::DownloadServerStandIn> standIn;

    void SetUp() override {
        fs::create_directories(server / "release");
        Log::instance().open(dir / "Log.txt");
        paths.input = dir / "input";
        paths.output = dir / "output";
        paths.newVersion = dir / "new_version";
        fs::create_directories(paths.input);
        fs::create_directories(paths.output);
        params.setFile(dir / "parameters.xml");
        params.readAll();
        standIn = std::make_unique<standin::DownloadServerStandIn>(server);
        standIn->start();
        params.DOWNLOAD_SERVER_URL.set(standIn->baseUrl());
        gf_run().resetAll();
    }
    void TearDown() override { Log::instance().close(); }
    void publish(const std::string& members) { writeFile(server / "versions.json", "{" + members + "}"); }
    std::string log() const { return readFile(dir / "Log.txt"); }
};

} // namespace

TEST_F(VersionCheck, NewerDataIsDownloadedCurrentDataIsNot) {
    writeFile(server / "airports.enc", "new airports");
    writeFile(server / "dbase.enc", "new dbase");
    writeFile(server / "AIG-regcodes.enc", "new regcodes");
    writeFile(paths.input / "airports.enc", "old airports");
    writeFile(paths.input / "dbase.enc", "current dbase");
    params.AIRPORTS_VERSION.set("1.2.3");
    params.DBASE_VERSION.set("2.10.0");
    params.AIG_VERSION.set("9.9.9");
    publish(versionJson("msfs", gf_runningVersion()) + "," + versionJson("airports", {1, 10, 0}) + "," +
            versionJson("dbase", {2, 10, 0}) + "," + versionJson("aig", {1, 0, 0}));

    EXPECT_TRUE(gf_checkVersions(params, paths, frontEnd));
    EXPECT_EQ(readFile(paths.input / "airports.enc"), "new airports") << "1.10.0 is newer than 1.2.3";
    EXPECT_EQ(params.AIRPORTS_VERSION.value(), "1.10.0");
    EXPECT_EQ(readFile(paths.input / "dbase.enc"), "current dbase");
    EXPECT_EQ(readFile(paths.input / "AIG-regcodes.enc"), "new regcodes") << "a missing file is always fetched";
    EXPECT_EQ(params.AIG_VERSION.value(), "1.0.0");
    const std::string text = log();
    EXPECT_NE(text.find("VORL program version at web = " + gf_runningVersion().text()), std::string::npos);
    EXPECT_NE(text.find("airports updated to 1.10.0"), std::string::npos);
    EXPECT_NE(text.find("dbase version up-to-date"), std::string::npos);
    EXPECT_NE(text.find("liveries version not found"), std::string::npos);
    EXPECT_FALSE(gf_run().stopRequested());
}

TEST_F(VersionCheck, NewerScanFormatsSwitchTheirScansOn) {
    params.SCAN_LIVERIES.set(false);
    params.SCAN_AIRPORTS.set(false);
    writeFile(paths.output / "LiveriesScanned.xml", "<x/>");
    params.LIV_SCAN_VERSION.set("1.0.0");
    params.ADDONS_SCAN_VERSION.set("3.0.0");
    publish(versionJson("liveries", {1, 0, 1}) + "," + versionJson("addons", {3, 0, 0}));
    EXPECT_TRUE(gf_checkVersions(params, paths, frontEnd));
    EXPECT_TRUE(params.SCAN_LIVERIES.value());
    EXPECT_FALSE(params.SCAN_AIRPORTS.value());
    EXPECT_EQ(params.LIV_SCAN_VERSION.value(), "1.0.1");
}

TEST_F(VersionCheck, FailedDataDownloadKeepsTheStoredVersion) {
    params.DBASE_VERSION.set("1.0.0");
    writeFile(paths.input / "dbase.enc", "kept");
    publish(versionJson("dbase", {2, 0, 0}));
    EXPECT_TRUE(gf_checkVersions(params, paths, frontEnd));
    EXPECT_EQ(params.DBASE_VERSION.value(), "1.0.0");
    EXPECT_EQ(readFile(paths.input / "dbase.enc"), "kept");
    EXPECT_NE(log().find("Downloading 'dbase.enc' failed !"), std::string::npos);
}

TEST_F(VersionCheck, UnreachableServerChangesNothing) {
    standIn->stop();
    EXPECT_TRUE(gf_checkVersions(params, paths, frontEnd));
    EXPECT_NE(log().find("==> Downloading version info from my web site failed!"), std::string::npos);
}

TEST_F(VersionCheck, NewerProgramIsUnpackedAndHandedToTheUser) {
    makeZip(server / "release" / "latest_version.zip",
            {{"install_new_version.exe", "MZ installer"}, {"docs/notes.txt", "hello"}});
    VersionData newer = gf_runningVersion();
    ++newer.minor;
    publish(versionJson("msfs", newer));
    EXPECT_FALSE(gf_checkVersions(params, paths, frontEnd));
    EXPECT_EQ(readFile(paths.newVersion / "install_new_version.exe"), "MZ installer");
    EXPECT_EQ(readFile(paths.newVersion / "docs" / "notes.txt"), "hello");
    EXPECT_FALSE(fs::exists(paths.newVersion / "latest_version.zip"));
    EXPECT_NE(readFile(paths.newVersion / "README.txt").find("A new version is available."), std::string::npos);
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewVersion);
    EXPECT_NE(log().find("==> could not download "), std::string::npos) << "no release notes on this server";
}

TEST_F(VersionCheck, ArchiveEscapingItsFolderIsRefusedWhole) {
    makeZip(server / "release" / "latest_version.zip",
            {{"install_new_version.exe", "MZ"}, {"../escaped.txt", "evil"}, {"/abs.txt", "evil"}});
    EXPECT_FALSE(gf_downloadInstaller(standIn->baseUrl(), paths.newVersion, "9.9.9"));
    EXPECT_FALSE(fs::exists(dir / "escaped.txt"));
    EXPECT_FALSE(fs::exists(paths.newVersion / "install_new_version.exe"));

    VersionData newer = gf_runningVersion();
    ++newer.major;
    publish(versionJson("msfs", newer));
    EXPECT_THROW(gf_checkVersions(params, paths, frontEnd), UserErrorException);
}

TEST(Version, NumericComparisonAndParsing) {
    EXPECT_LT(VersionData::parse("2.5.5"), VersionData::parse("2.10.0"));
    EXPECT_EQ(VersionData::parse("v1.2.3-beta").text(), "1.2.3");
    EXPECT_THROW(VersionData::parse("1.2"), std::invalid_argument);
    EXPECT_TRUE(gf_isSafeEntryName("a/b/c.txt"));
    EXPECT_FALSE(gf_isSafeEntryName("a/../../c.txt"));
    EXPECT_FALSE(gf_isSafeEntryName("C:\\windows\\x.dll"));
    EXPECT_FALSE(gf_isSafeEntryName("..\\x"));
}
