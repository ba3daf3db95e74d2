#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "app/Parameters.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

std::string valueInFile(const fs::path& file, const std::string& key) {
    pugi::xml_document doc;
    if (!doc.load_file(file.c_str())) return "<unreadable>";
    const auto node = doc.child("root").child("parameters").find_child_by_attribute("parameter", "name", key.c_str());
    return node ? node.attribute("value").as_string() : "<absent>";
}

std::string fileWith(std::initializer_list<std::pair<const char*, const char*>> values, bool withRoot = true) {
    std::string body;
    for (const auto& [k, v] : values) body += fmt::format("<parameter name=\"{}\" value=\"{}\"/>", k, v);
    const std::string parameters = "<parameters>" + body + "<parameter name=\"FOREIGN\" value=\"kept\"/></parameters>";
    return "<?xml version=\"1.0\"?>" + (withRoot ? "<root>" + parameters + "</root>" : parameters);
}

struct SettingsFile : ::testing::Test {
    TempFolder dir;
    fs::path file = dir / "parameters.xml";
    Parameters params;
    void SetUp() override {
        Log::instance().open(dir / "Log.txt");
        params.setFile(file);
    }
    void TearDown() override { Log::instance().close(); }
};

} // namespace

TEST(ParameterRegistry, EverySettingOnceWithItsControl) {
    Parameters params;
    std::set<std::string> keys;
    for (const auto* p : params.all()) EXPECT_TRUE(keys.insert(p->key()).second) << p->key();
    EXPECT_EQ(params.booleans().size() + params.numbers().size() + params.texts().size(), params.all().size());
    EXPECT_TRUE(keys.count("LAST_EPOCH_TIME:"));
    EXPECT_TRUE(keys.count("parking_percentage"));
    EXPECT_TRUE(keys.count("lfolder9"));
    EXPECT_EQ(params.MAX_LIVE_SEL.control()->id, 0x8051);
    EXPECT_EQ(params.MAX_LIVE_SEL.control()->row, 315);
    EXPECT_EQ(params.AIRP_HEIGHT.choices().back(), 48000);
    EXPECT_EQ(params.AIRP_HEIGHT.choices().size(), 11u);
    EXPECT_EQ(params.AR_ABOVE_HEIGHT.choices().size(), 11u);
    EXPECT_FALSE(params.MAIN_WINDOW_X.control());
}

TEST(ParameterRegistry, SixtyFourPackageOrdersInTheirListedOrder) {
    const auto orders = gf_aiPackageOrders();
    ASSERT_EQ(orders.size(), 64u);
    EXPECT_EQ(orders[0], "AIG, FSLTL, JF, MTL");
    EXPECT_EQ(orders[1], "AIG, FSLTL, MTL, JF");
    EXPECT_EQ(orders[2], "AIG, JF, FSLTL, MTL");
    EXPECT_EQ(orders[23], "MTL, JF, FSLTL, AIG");
    EXPECT_EQ(orders[24], "AIG, FSLTL, JF");
    EXPECT_EQ(orders[30], "AIG, FSLTL, MTL");
    EXPECT_EQ(orders[42], "FSLTL, JF, MTL");
    EXPECT_EQ(orders[48], "AIG, FSLTL");
    EXPECT_EQ(orders[49], "FSLTL, AIG");
    EXPECT_EQ(orders[58], "JF, MTL");
    EXPECT_EQ(orders[59], "MTL, JF");
    EXPECT_EQ(std::vector<std::string>(orders.end() - 4, orders.end()),
              (std::vector<std::string>{"AIG", "FSLTL", "JF", "MTL"}));
    EXPECT_EQ(std::set<std::string>(orders.begin(), orders.end()).size(), 64u);
}

TEST(ParameterValues, ReadingRulesForEachKind) {
    Parameters p;
    p.MAIN_WINDOW_X.setFromText("99999");
    EXPECT_EQ(p.MAIN_WINDOW_X.value(), 30000);
    p.MAIN_WINDOW_X.setFromText("abc");
    EXPECT_EQ(p.MAIN_WINDOW_X.value(), 0);
    p.MAIN_WINDOW_X.setFromText("-99999999999");
    EXPECT_EQ(p.MAIN_WINDOW_X.value(), -30000);
    p.parking_percentage.setFromText("33");
    EXPECT_EQ(p.parking_percentage.value(), 33);
    EXPECT_FALSE(p.parking_percentage.selectedIndex());
    p.RANGE.setFromText("1");
    EXPECT_EQ(p.RANGE.value(), 2);
    for (const char* yes : {"1", "true", "True", "yes", "Y"}) {
        p.SIM_TIME.setFromText(yes);
        EXPECT_TRUE(p.SIM_TIME.value()) << yes;
    }
    for (const char* no : {"0", "false", "no", "", " true"}) {
        p.SIM_TIME.setFromText(no);
        EXPECT_FALSE(p.SIM_TIME.value()) << no;
    }
    p.MAX_FIT_FL.setFromText("100");
    EXPECT_FLOAT_EQ(p.MAX_FIT_FL.value(), 24.0f);
    p.MAX_FIT_FL.setFromText("1.5");
    EXPECT_EQ(p.MAX_FIT_FL.selectedIndex(), 2u);
    EXPECT_EQ(p.MAX_FIT_FL.choiceTexts().front(), "0.5");
    EXPECT_EQ(p.MAX_FIT_FL.choiceTexts().back(), "24.0");
}

TEST_F(SettingsFile, FirstRunWritesEverySettingWithDefaults) {
    EXPECT_TRUE(params.readAll());
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(file.c_str()));
    EXPECT_EQ(std::distance(doc.child("root").child("parameters").children("parameter").begin(),
                            doc.child("root").child("parameters").children("parameter").end()),
              static_cast<long>(params.all().size()));
    EXPECT_EQ(valueInFile(file, "AI_PACKAGE_SELECTOR"), "AIG, FSLTL, JF, MTL");
    EXPECT_EQ(valueInFile(file, "SCAN_LIVERIES"), "true");
    EXPECT_EQ(valueInFile(file, "PROGRAM_VERSION"), params.PROGRAM_VERSION.value());
    EXPECT_NE(readFile(file).find("encoding=\"UTF-8\""), std::string::npos);
}

TEST_F(SettingsFile, EmptyFileIsAFirstRun) {
    writeFile(file, "");
    EXPECT_TRUE(params.readAll());
    EXPECT_EQ(valueInFile(file, "RANGE"), "40");
}

TEST_F(SettingsFile, MissingKeysAppendedValuesClampedForeignKeysKept) {
    writeFile(file, fileWith({{"MAIN_WINDOW_X", "99999"}, {"RANGE", "12"}, {"SIM_CHOICE", "MSFS 2024"},
                              {"ALWAYS_ON_TOP", "yes"}, {"lfolder3", "D:\\liveries"}}));
    EXPECT_FALSE(params.readAll());
    EXPECT_EQ(params.MAIN_WINDOW_X.value(), 30000);
    EXPECT_EQ(params.RANGE.value(), 12);
    EXPECT_TRUE(params.ALWAYS_ON_TOP.value());
    EXPECT_EQ(params.lfolder[3].value(), "D:\\liveries");
    EXPECT_EQ(valueInFile(file, "MAIN_WINDOW_X"), "99999") << "reading clamps the value, not the file";
    EXPECT_EQ(valueInFile(file, "MAX_PARK_SEL"), "500");
    EXPECT_EQ(valueInFile(file, "FOREIGN"), "kept");
    params.afterReading();
    EXPECT_FALSE(params.isMsfs2020());
    const std::string log = readFile(dir / "Log.txt");
    EXPECT_NE(log.find("MAIN_WINDOW_X=30000\n"), std::string::npos);
    EXPECT_NE(log.find("RANGE=12\n"), std::string::npos);
}

TEST_F(SettingsFile, ParametersWithoutRootAreReadAndRewrittenWithRoot) {
    writeFile(file, fileWith({{"RANGE", "25"}}, false));
    EXPECT_FALSE(params.readAll());
    EXPECT_EQ(params.RANGE.value(), 25);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(file.c_str()));
    EXPECT_TRUE(doc.child("root").child("parameters"));
    EXPECT_FALSE(doc.child("parameters"));
    EXPECT_NE(readFile(dir / "Log.txt").find("Placing a root level around a new parameters.xml"), std::string::npos);
}

TEST_F(SettingsFile, SaveOneKeepsEverythingElseAndRecoversMissingPieces) {
    params.readAll();
    params.RANGE.set(65);
    ASSERT_TRUE(params.save(params.RANGE));
    EXPECT_EQ(valueInFile(file, "RANGE"), "65");
    EXPECT_EQ(valueInFile(file, "MAX_LIVE_SEL"), "500");

    writeFile(file, "<?xml version=\"1.0\"?><root/>");
    ASSERT_TRUE(params.save(params.RANGE));
    EXPECT_EQ(valueInFile(file, "RANGE"), "65");

    writeFile(file, "not xml at all <");
    ASSERT_TRUE(params.save(params.SIM_TIME));
    EXPECT_EQ(valueInFile(file, "SIM_TIME"), "false");

    writeFile(file, fileWith({}, false));
    ASSERT_TRUE(params.save(params.RANGE));
    EXPECT_EQ(valueInFile(file, "RANGE"), "65");
    EXPECT_EQ(valueInFile(file, "FOREIGN"), "kept");
}

TEST_F(SettingsFile, RereadTakesTheFileValueClamped) {
    params.readAll();
    writeFile(file, fileWith({{"TIME_SHIFT_HOURS", "99"}}));
    EXPECT_EQ(params.reread(params.TIME_SHIFT_HOURS), 23);
    EXPECT_EQ(params.reread(params.TIME_SHIFT_DAYS), std::nullopt);
}

TEST_F(SettingsFile, UnusableFileIsKeptAsGenerationZeroBeforeDefaultsReplaceIt) {
    writeFile(file, "<root><oops>");
    EXPECT_TRUE(params.readAll());
    EXPECT_EQ(readFile(dir / "parameters0.xml"), "<root><oops>");
    EXPECT_EQ(valueInFile(file, "RANGE"), "40");
}

TEST_F(SettingsFile, ControlHookFollowsBoundSettingsOnly) {
    std::vector<std::string> updated;
    params.setControlHook([&](const Parameter& p) { updated.push_back(p.key()); });
    params.readAll();
    EXPECT_NE(std::find(updated.begin(), updated.end(), "ALWAYS_ON_TOP"), updated.end());
    EXPECT_EQ(std::find(updated.begin(), updated.end(), "MAIN_WINDOW_X"), updated.end());
    updated.clear();
    params.afterReading();
    EXPECT_EQ(params.parking_percentage.value(), 30);
    EXPECT_NE(std::find(updated.begin(), updated.end(), "parking_percentage"), updated.end());
}
