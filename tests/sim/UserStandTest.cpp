#include "SimTestSupport.h"
#include "sim/SimHooks.h"
#include "sim/SimSession.h"
#include "sim/UserStand.h"

using namespace vorl;
using namespace vorl::test;

// The park airport's stands, through the hooks the airport side fills.
class UserStandTest : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        hooks.parkAirportHasStands = [this] { return hasStands; };
        hooks.nearestStandName = [this](double lat, double lon, double maxNm) -> std::optional<std::string> {
            ++lookups;
            lastMaxNm = maxNm;
            if (std::fabs(lat - 52.307613) < 1e-4 && std::fabs(lon - 4.757806) < 1e-4) return std::string("D7");
            return std::nullopt;
        };
        hooks.reserveUserStand = [this](const std::string& stand) { reserved = stand; };
        hooks.showUserStand = [this](const std::string& stand) { shown.push_back(stand); };
        connectHooks();
    }
    bool hasStands = true;
    int lookups = 0;
    double lastMaxNm = 0.0;
    std::string reserved;
    std::vector<std::string> shown;
};

TEST_F(UserStandTest, TheStandIsLookedUpOnTheGroundAndRememberedForTheSamePosition) {
    gf_simSession().onGround = true;
    EXPECT_EQ(userStandName(52.307613, 4.757806), "D7");
    EXPECT_EQ(userStandName(52.307613, 4.757806), "D7");
    EXPECT_EQ(lookups, 1);
    EXPECT_DOUBLE_EQ(lastMaxNm, kUserAtStandNm);
    EXPECT_EQ(userStandName(52.31, 4.77), "");
    EXPECT_EQ(lookups, 2);
    gf_simSession().onGround = false;
    EXPECT_EQ(userStandName(52.307613, 4.757806), "");
    gf_simSession().onGround = true;
    hasStands = false;
    EXPECT_EQ(userStandName(52.307613, 4.757806), "");
}

TEST_F(UserStandTest, TheUserAtAStandIsShownAndAFlightLoadReservesIt) {
    standin::SimStandInConfig config;
    config.user = standin::UserScript::fixed(52.307613, 4.757806, 0.0, 140.0, true);
    connect(config);
    requestUserOnGround();
    standIn->advance(1000.0);
    ASSERT_TRUE(standIn->waitDispatched());
    ASSERT_TRUE(gf_simSession().onGround.load());
    requestUserState();
    ASSERT_TRUE(standIn->waitDispatched());
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "D7");
    standIn->loadFlight("EHAM.FLT");
    ASSERT_TRUE(standIn->waitDispatched());
    EXPECT_EQ(reserved, "D7");
}
