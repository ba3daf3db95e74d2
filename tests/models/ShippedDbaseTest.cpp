// The committed reference data as the program reads it at start-up.
#include <string>

#include <gtest/gtest.h>

#include "common/Log.h"
#include "models/DbaseReader.h"
#include "models/StreamCrypt.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;

TEST(ShippedDbase, ReadsCompleteAndConsistent) {
    TempFolder folder;
    Log::instance().open(folder / "log.txt");
    gf_streamEncrypt(fs::path(VORL_DATA_FOLDER) / "dbase.xml", folder / "dbase.enc");
    ModelDatabase db;
    gf_readModelDatabase(folder.path(), db);
    Log::instance().close();
    const std::string log = readFile(folder / "log.txt");

    EXPECT_GE(db.aircraftTypes.size(), 1000u);
    EXPECT_GE(db.wingspans.size(), 1000u);
    EXPECT_GE(db.airlines.size(), 3000u);
    EXPECT_GE(db.registrations.size(), 10000u);
    EXPECT_GE(db.similarGroups.size(), 50u);
    // Every wingspan and fix names a known type.
    EXPECT_EQ(log.find("is not valid"), std::string::npos) << log;
    EXPECT_EQ(log.find("already exists"), std::string::npos) << log;

    EXPECT_EQ(static_cast<int>(db.category(db.typeIndexOf("B744"))), 3) << "B744";
    EXPECT_EQ(static_cast<int>(db.category(db.typeIndexOf("A320"))), 2) << "A320";
    EXPECT_EQ(static_cast<int>(db.category(db.typeIndexOf("C56X"))), 1) << "C56X";
    EXPECT_EQ(static_cast<int>(db.category(db.typeIndexOf("EC35"))), 5) << "EC35";
    EXPECT_EQ(static_cast<int>(db.category(db.typeIndexOf("F16"))), 4) << "F16";
    EXPECT_EQ(static_cast<int>(db.category(db.typeIndexOf("C172"))), 0) << "C172";
    // IATA codes of live traffic map to their designators.
    EXPECT_EQ(db.typeIndexOf("738"), db.typeIndexOf("B738"));
    EXPECT_EQ(db.typeIndexOf("77W"), db.typeIndexOf("B77W"));
    EXPECT_TRUE(db.isCargoOperator(db.airlineIndexOf("FDX")));
}
