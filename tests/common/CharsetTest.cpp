#include <gtest/gtest.h>

#include "common/Charset.h"
#include "tests/support/TempFolder.h"

using namespace vorl;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {
Charset detect(const TempFolder& dir, std::string_view bytes) {
    writeFile(dir / "f.txt", bytes);
    return gf_detectCharset(dir / "f.txt");
}
} // namespace

TEST(Charset, DetectionByMarksZeroBytesAndUtf8Validity) {
    TempFolder dir;
    EXPECT_EQ(detect(dir, "\xEF\xBB\xBFtitle=x"), Charset::UTF8_with_BOM);
    EXPECT_EQ(detect(dir, "\xFF\xFEt\0i\0"), Charset::Unicode);
    EXPECT_EQ(detect(dir, std::string_view("t\0i\0", 4)), Charset::Unicode);
    EXPECT_EQ(detect(dir, "\xFE\xFF\0t"), Charset::Unicode_big_endian);
    EXPECT_EQ(detect(dir, std::string_view("\0t\0i", 4)), Charset::Unicode_big_endian);
    EXPECT_EQ(detect(dir, "plain ascii"), Charset::UTF8_without_BOM);
    EXPECT_EQ(detect(dir, ""), Charset::UTF8_without_BOM);
    EXPECT_EQ(detect(dir, "Caf\xC3\xA9"), Charset::UTF8_without_BOM);
    EXPECT_EQ(detect(dir, "Caf\xE9 cr\xE8me"), Charset::ANSI);
    EXPECT_EQ(detect(dir, "over long \xC0\xAF"), Charset::ANSI);
    EXPECT_EQ(detect(dir, "surrogate \xED\xA0\x80"), Charset::ANSI);
    EXPECT_EQ(gf_detectCharset(dir / "missing.txt"), Charset::none_found);
    EXPECT_STREQ(gf_charsetName(Charset::Unicode_big_endian), "Unicode_big_endian");
}

TEST(Charset, CharacterCutAtTheEndOfTheWindowIsStillUtf8) {
    TempFolder dir;
    std::string text(4095, 'a');
    text += "\xC3\xA9 and more";
    EXPECT_EQ(detect(dir, text), Charset::UTF8_without_BOM);
}

TEST(Charset, ReadingConvertsEveryCharsetToUtf8Lines) {
    TempFolder dir;
    std::vector<std::string> lines;

    writeFile(dir / "bom.txt", "\xEF\xBB\xBFline1\r\nline2\n");
    ASSERT_TRUE(gf_readTextFile(Charset::UTF8_with_BOM, dir / "bom.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"line1", "line2"}));

    lines.clear();
    writeFile(dir / "ansi.txt", "Caf\xE9\r\n\x80 5\n");
    ASSERT_TRUE(gf_readTextFile(Charset::ANSI, dir / "ansi.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"Caf\xC3\xA9", "\xE2\x82\xAC 5"}));

    lines.clear();
    writeFile(dir / "le.txt", std::string("\xFF\xFE" "a\0\xE9\0\r\0\n\0b\0", 12));
    ASSERT_TRUE(gf_readTextFile(Charset::Unicode, dir / "le.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a\xC3\xA9", "b"}));

    lines.clear();
    writeFile(dir / "be.txt", std::string("\xFE\xFF\0a\0\n\0b", 8));
    ASSERT_TRUE(gf_readTextFile(Charset::Unicode_big_endian, dir / "be.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));

    EXPECT_THROW(gf_readTextFile(Charset::none_found, dir / "be.txt", lines), std::runtime_error);
    EXPECT_FALSE(gf_readTextFile(Charset::ANSI, dir / "missing.txt", lines));
}

TEST(Charset, ReadLinesDetectsOrSaysOpenFailed) {
    TempFolder dir;
    writeFile(dir / "a.txt", "\xEF\xBB\xBFx\ny");
    EXPECT_EQ(gf_readLines(dir / "a.txt", 2), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(gf_readLines(dir / "nope.txt", 2), (std::vector<std::string>{"open_failed"}));
}
