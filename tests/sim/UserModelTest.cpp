#include "SimTestSupport.h"
#include "app/StatusBoard.h"
#include "sim/SimSession.h"
#include "sim/UserAircraft.h"

using namespace vorl;
using namespace vorl::test;
using standin::SimStandInConfig;

// The model text rules need the wingspan hooks of the fixture (".0.text" looks types up).
TEST_F(SimLinkTest, ModelTextsAreNormalised) {
    EXPECT_EQ(gf_normaliseUserModel("A350-900", ""), "A359");
    EXPECT_EQ(gf_normaliseUserModel("N738B", ""), "B38M");
    EXPECT_EQ(gf_normaliseUserModel("777", ""), "772");
    EXPECT_EQ(gf_normaliseUserModel("A330-200 (RR)", ""), "A332");
    EXPECT_EQ(gf_normaliseUserModel("$$:ABCD", ""), "ABCD");
    EXPECT_EQ(gf_normaliseUserModel("$$:A", ""), "$$:A");
    EXPECT_EQ(gf_normaliseUserModel("TT:ATCCOM.AC_MODEL_A320.0.text", ""), "A320");
    EXPECT_EQ(gf_normaliseUserModel("TT:ATCCOM.AC_MODEL XYZW.0.text", ""), "TT:ATCCOM.AC_MODEL XYZW.0.text");
    EXPECT_EQ(gf_normaliseUserModel("737", "PMDG DG 737-800 KLM"), "B738");
    EXPECT_EQ(gf_normaliseUserModel("737", "PMDG DG 737-700"), "B737");
    EXPECT_EQ(gf_normaliseUserModel("737", "Some 737"), "737");
}

TEST(SimTimeEpoch, CountsDaysFromTheFirstOfJanuary) {
    EXPECT_EQ(gf_simTimeEpoch(1970, 1, 0), 0);
    EXPECT_EQ(gf_simTimeEpoch(2000, 1, 3600), 946688400);
    // 2024 is a leap year: 31 December is its 366th day.
    EXPECT_EQ(gf_simTimeEpoch(2024, 366, 86399), 1735689599);
}

TEST_F(SimLinkTest, AKnownModelGivesItsWingspanAndCategory) {
    SimStandInConfig config;
    config.userModel = "$$:B738";
    connect(config);
    requestUserTitleAndModel();
    ASSERT_TRUE(standIn->waitDispatched());
    EXPECT_EQ(gf_simSession().userModel(), "B738");
    EXPECT_DOUBLE_EQ(gf_simSession().halfWingspanNm.load(), 0.00971);
    EXPECT_TRUE(gf_simSession().halfWingspanKnown.load());
    EXPECT_NE(logText().find("SimConnect: User aircraft model: B738, half wing span: 18.0 meter, category: Large"),
              std::string::npos);
}

TEST_F(SimLinkTest, AnEmptyModelStandsInAsCrj7) {
    SimStandInConfig config;
    config.userModel = "";
    connect(config);
    requestUserTitleAndModel();
    ASSERT_TRUE(standIn->waitDispatched());
    EXPECT_DOUBLE_EQ(gf_simSession().halfWingspanNm.load(), 0.00626);
    EXPECT_EQ(gf_status().status(),
              "171: No model info from your user aircraft received in SimConnect, CRJ7 is taken instead");
}

TEST_F(SimLinkTest, AnUnknownModelTakesTheLargestSpan) {
    SimStandInConfig config;
    config.userModel = "ZZZZ";
    connect(config);
    requestUserTitleAndModel();
    ASSERT_TRUE(standIn->waitDispatched());
    EXPECT_DOUBLE_EQ(gf_simSession().halfWingspanNm.load(), 0.0429);
    EXPECT_EQ(gf_status().status(),
              "User aircraft wing span unknown, max is taken instead, please report in my Forum!");
}

TEST_F(SimLinkTest, AerosoftTitlesTellTheModel) {
    SimStandInConfig config;
    config.userModel = "Airbus";
    config.userTitle = "Aerosoft A320 Lufthansa";
    connect(config);
    requestUserTitleAndModel();
    ASSERT_TRUE(standIn->waitDispatched());
    EXPECT_EQ(gf_simSession().userModel(), "A320");
    EXPECT_NE(logText().find("SimConnect: User aircraft model deduced from title: A320"), std::string::npos);
}
