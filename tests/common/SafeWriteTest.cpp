#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "common/SafeWrite.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

TEST(SafeWrite, ReplacesWholeFileAndLeavesNoTemporary) {
    TempFolder dir;
    writeFile(dir / "p.xml", "old");
    ASSERT_TRUE(gf_writeFileAtomically(dir / "p.xml", "new content"));
    EXPECT_EQ(readFile(dir / "p.xml"), "new content");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);

    pugi::xml_document doc;
    doc.append_child("root").append_child("parameters");
    ASSERT_TRUE(gf_saveXmlAtomically(doc, dir / "p.xml"));
    EXPECT_NE(readFile(dir / "p.xml").find("<parameters />"), std::string::npos);
}

#ifndef _WIN32
// Windows has no read-only folders of this kind: the attribute does not stop writing into them.
TEST(SafeWrite, ReadOnlyFolderKeepsThePreviousFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempFolder dir;
    writeFile(dir / "p.xml", "precious");
    ::chmod(dir.path().c_str(), 0500);
    std::string error;
    EXPECT_FALSE(gf_writeFileAtomically(dir / "p.xml", "lost?", &error));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(dir / "p.xml"), "precious");
}
#endif

TEST(SafeWrite, FailedReplaceLeavesNoTemporaryBehind) {
    TempFolder dir;
    // A folder where the file should go: the final step fails, as it would on a locked file.
    writeFile(dir / "p.xml" / "inside", "keep");
    std::string error;
    EXPECT_FALSE(gf_writeFileAtomically(dir / "p.xml", "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(dir / "p.xml" / "inside"), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
}
