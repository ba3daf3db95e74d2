#include <gtest/gtest.h>

#include "common/Generations.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

TEST(Generations, RotationKeepsThreeOlderCopiesOldestDropped) {
    TempFolder dir;
    const auto log = dir / "Log.txt";
    for (const char* content : {"first", "second", "third", "fourth", "fifth"}) {
        gf_saveUpto3GenerationsOf(log);
        writeFile(log, content);
    }
    EXPECT_EQ(readFile(log), "fifth");
    EXPECT_EQ(readFile(dir / "Log0.txt"), "fourth");
    EXPECT_EQ(readFile(dir / "Log00.txt"), "third");
    EXPECT_EQ(readFile(dir / "Log000.txt"), "second");
}

TEST(Generations, OnlyTheCurrentFileMakesOneGeneration) {
    TempFolder dir;
    writeFile(dir / "Log.txt", "only");
    gf_saveUpto3GenerationsOf(dir / "Log.txt");
    EXPECT_EQ(readFile(dir / "Log0.txt"), "only");
    EXPECT_FALSE(fs::exists(dir / "Log00.txt"));
    EXPECT_FALSE(fs::exists(dir / "Log000.txt"));
}

TEST(Generations, NameWithoutDotIsNotRotatedAndIsLogged) {
    TempFolder dir;
    Log::instance().open(dir / "test.log");
    const fs::path odd = dir / "sub.d" / "README";
    writeFile(odd, "x");
    gf_saveUpto3GenerationsOf(odd);
    EXPECT_FALSE(gf_save1GenerationOf(odd));
    Log::instance().close();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "sub.d"), fs::directory_iterator{}), 1);
    const std::string text = readFile(dir / "test.log");
    EXPECT_NE(text.find("==> gf_saveUpto3GenerationsOf: no dot in filename: " + odd.string()), std::string::npos);
    EXPECT_NE(text.find("==> gf_save1GenerationOf: no dot in filename: " + odd.string()), std::string::npos);
}

TEST(Generations, OneGenerationOfMissingFileIsFine) {
    TempFolder dir;
    EXPECT_TRUE(gf_save1GenerationOf(dir / "parameters.xml"));
    writeFile(dir / "parameters.xml", "<x/>");
    EXPECT_TRUE(gf_save1GenerationOf(dir / "parameters.xml"));
    EXPECT_EQ(readFile(dir / "parameters0.xml"), "<x/>");
}

TEST(Log, HeaderImportantLinesAndOpenFailure) {
    TempFolder dir;
    Log::instance().open(dir / "Log.txt");
    logLine("plain {}", 1);
    logImportant("look at {}", "this");
    Log::instance().close();
    logLine("after close goes nowhere");
    const std::string text = readFile(dir / "Log.txt");
    EXPECT_NE(text.find(" (utc) VORL version "), std::string::npos);
    EXPECT_NE(text.find(" for MSFS 2020/2024\n"), std::string::npos);
    EXPECT_NE(text.find("\nplain 1\n==> look at this\n"), std::string::npos);
    EXPECT_EQ(text.find("after close"), std::string::npos);
    EXPECT_THROW(Log::instance().open(dir / "missing-folder" / "Log.txt"), std::runtime_error);
}
