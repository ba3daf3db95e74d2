#include <gtest/gtest.h>

#include "common/Folders.h"
#include "common/TextConversion.h"
#include "common/TimeStamp.h"
#include "common/TimeZoneWord.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::TempFolder;
using vorl::test::writeFile;

TEST(TextConversion, RoundTripThroughUtf16IncludingSurrogatePairs) {
    const std::string text = "Z\xC3\xBCrich \xE2\x9C\x88 \xF0\x9F\x9B\xAB";
    const std::u16string wide = utf8_to_wide(text);
    EXPECT_EQ(wide.size(), 11u); // the last character takes a surrogate pair
    EXPECT_EQ(wide_to_utf8(wide), text);
}

TEST(TextConversion, InvalidInputThrows) {
    EXPECT_THROW(utf8_to_wide("bad \xFF"), std::runtime_error);
    EXPECT_THROW(utf8_to_wide("cut \xE2\x9C"), std::runtime_error);
    EXPECT_THROW(wide_to_utf8(std::u16string(1, char16_t(0xD800))), std::runtime_error);
    try {
        utf8_to_wide("\xC0\x80");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "utf8_to_wide: invalid UTF-8");
    }
}

TEST(TimeStamp, FormatAndInvalidTimes) {
    EXPECT_EQ(gf_timeStampText(0), "Thu Jan 01 00:00:00 1970");
    EXPECT_EQ(gf_timeStampText(1796529600), "Sun Dec 06 04:00:00 2026");
    EXPECT_EQ(gf_timeStampText(1760000000).substr(4, 3), "Okt");
    EXPECT_EQ(gf_timeStampText(-1), "Invalid time");
    EXPECT_EQ(gf_timeStampText(std::numeric_limits<std::time_t>::max()), "Invalid time");
}

TEST(TimeStamp, TimeZoneWordCountsSundayAsSevenAndMarksBadTimes) {
    gf_refreshTimeZoneWord(1796558400); // Sunday 6 December 2026, noon UTC
    EXPECT_EQ(gf_timeZoneWord().weekday, 7);
    EXPECT_EQ(gf_timeZoneWord().localOffsetSeconds, gf_localUtcOffsetSeconds(1796558400));
    gf_refreshTimeZoneWord(1796558400 + 86400);
    EXPECT_EQ(gf_timeZoneWord().weekday, 1);
    gf_refreshTimeZoneWord(-1);
    EXPECT_EQ(gf_timeZoneWord().weekday, -1);
}

TEST(Folders, ListCountAndRemove) {
    TempFolder dir;
    writeFile(dir / "a.xml", "1");
    writeFile(dir / "B.XML", "2");
    writeFile(dir / "c.txt", "3");
    fs::create_directories(dir / "sub.xml");
    EXPECT_EQ(gf_listXmlFiles(dir.path()).size(), 2u);
    EXPECT_EQ(gf_countEntries(dir.path()), 4);
    EXPECT_EQ(gf_countEntries(dir / "missing"), 0);
    gf_removeXMLFilesFromDirectory(dir.path());
    EXPECT_EQ(gf_countEntries(dir.path()), 2);
    gf_removeFilesFromDirectory(dir.path());
    EXPECT_EQ(gf_countEntries(dir.path()), 1);
    EXPECT_TRUE(gf_isFolderWritable(dir.path()));
    EXPECT_FALSE(fs::exists(dir / ".write_test.tmp"));
    EXPECT_FALSE(gf_isFolderWritable(dir / "missing"));
}

// Folder names with letters beyond ASCII, as in a user's name: what a setting holds in UTF-8
// names the same folder the system lists, on Windows too (where a plain std::string would be
// read in the narrow code page).
TEST(Utf8Paths, SettingTextAndListedFolderAgree) {
    vorl::test::TempFolder dir;
    const std::string name = "J\xc3\xbcrgen \xe4\xb8\xad";
    const std::string setting = vorl::gf_utf8Text(dir.path()) + "/" + name;
    std::filesystem::create_directories(vorl::gf_utf8Path(setting) / "Community");
    std::vector<std::string> listed;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        listed.push_back(vorl::gf_utf8Text(entry.path().filename()));
    EXPECT_EQ(listed, std::vector<std::string>{name});
    EXPECT_TRUE(std::filesystem::is_directory(vorl::gf_utf8Path(setting) / "Community"));
    EXPECT_EQ(vorl::gf_utf8Text(vorl::gf_utf8Path(setting)), setting);
}
