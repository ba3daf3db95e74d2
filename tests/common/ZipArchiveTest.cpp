#include <gtest/gtest.h>

#include "common/ZipArchive.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;

// An update archive written by us unpacks; entries that would land outside are refused.
TEST(ZipArchive, UnpacksSafeEntriesAndRefusesEscapingOnes) {
    TempFolder dir;
    const fs::path archive = fs::path(VORL_FUZZ_CORPUS) / "zip" / "update.zip";
    const UnzipResult result = gf_unzipInto(archive, dir / "out");
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(readFile(dir / "out" / "VORL" / "readme.txt"), "new version");
    EXPECT_EQ(result.refused, (std::vector<std::string>{"../outside.txt"}));
    EXPECT_FALSE(fs::exists(dir / "outside.txt"));
}

// Found by fuzzing: an entry whose directory claims 4 GB made the reader reserve all of it.
TEST(ZipArchive, AnEntryLyingAboutItsSizeIsAFailureNotAnAllocation) {
    TempFolder dir;
    const UnzipResult result = gf_unzipInto(fs::path(VORL_FUZZ_CORPUS) / "zip" / "lying-size.zip", dir / "out");
    EXPECT_FALSE(result.ok);
}
