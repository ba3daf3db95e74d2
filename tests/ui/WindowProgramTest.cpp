// The whole program with its Qt window, used as a user would: typed into and clicked, on the
// simulator and RealTraffic stand-ins. Each effect is checked where a user would see it: the
// simulator stand-in's objects, Log.txt and the painted status display.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "app/Parameters.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/WindowLayout.h"
#include "sim/SimSession.h"
#include "standins/sim/SimStandIn.h"
#include "tests/app/WholeProgram.h"
#include "ui/MainWindow.h"
#include "ui/QtFrontEnd.h"

namespace fs = std::filesystem;
using namespace vorl;
using namespace std::chrono_literals;
using vorl::test::ArchiveServer;
using vorl::test::settingInFile;
using vorl::test::WholeProgram;

namespace {

// The program with its window; the test thread works the window through the window's own thread.
class WindowProgram {
public:
    explicit WindowProgram(const std::string& parameters = {})
        : program(parameters, {}, [this](const CommandLineOptions& options, Commands& commands) {
              static int argc = 1;
              static char name[] = "vorl";
              static char* argv[] = {name, nullptr};
              auto frontEnd = std::make_unique<QtFrontEnd>(argc, argv, commands, options.durationSeconds, std::nullopt);
              window_.store(&frontEnd->window());
              return frontEnd;
          }) {}

    // Runs `work` with the window on the window's thread and waits for it.
    template <class Work> void onWindow(Work work) {
        MainWindow* window = window_.load();
        ASSERT_NE(window, nullptr);
        QMetaObject::invokeMethod(window, [&] { work(*window); }, Qt::BlockingQueuedConnection);
    }
    void click(int id) {
        onWindow([id](MainWindow& w) { QTest::mouseClick(w.control(id), Qt::LeftButton); });
    }
    void choose(int id, int index) {
        onWindow([id, index](MainWindow& w) { emit qobject_cast<QComboBox*>(w.control(id))->activated(index); });
    }
    void enter(int id, const std::string& text) {
        onWindow([id, text](MainWindow& w) {
            auto* edit = qobject_cast<QLineEdit*>(w.control(id));
            edit->setText(QString::fromStdString(text));
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }
    bool enabled(int id) {
        bool on = false;
        onWindow([&](MainWindow& w) { on = w.control(id)->isEnabled(); });
        return on;
    }
    std::vector<std::string> listEntries(int id) {
        std::vector<std::string> entries;
        onWindow([&](MainWindow& w) {
            auto* list = qobject_cast<QComboBox*>(w.control(id));
            for (int i = 0; i < list->count(); ++i) entries.push_back(list->itemText(i).toStdString());
        });
        return entries;
    }
    // The status display as the window paints it now, one text.
    std::string painted() {
        std::string text;
        onWindow([&](MainWindow& w) {
            for (const auto& line : w.displayLines()) text += line.text + "\n";
        });
        return text;
    }
    std::string status() { return gf_status().status(); }
    standin::SimStandIn& sim() { return *dynamic_cast<standin::SimStandIn*>(gf_simSession().backend()); }
    // The objects this program created in the simulator.
    std::vector<standin::StandInObject> objects() {
        std::vector<standin::StandInObject> found;
        for (auto& o : sim().objects())
            if (o.createdByProgram) found.push_back(o);
        return found;
    }
    bool readyForCommands() {
        return program.waitUntilServing() && program.waitFor([&] { return enabled(control::kReRead); });
    }

private:
    // Set by the program's own thread as soon as the window exists, so it is made first.
    std::atomic<MainWindow*> window_{nullptr};

public:
    WholeProgram program;
};

int lf_figure(const std::string& painted, const std::string& label) {
    const std::regex pattern(label + R"(\s*(-?\d+))");
    std::smatch match;
    return std::regex_search(painted, match, pattern) ? std::stoi(match[1]) : -1;
}

} // namespace

// Every figure of the status display tells what the log and the simulator tell.
TEST(WindowProgram, StatusDisplayAgreesWithTheLogAndTheSimulator) {
    ArchiveServer archive;
    WindowProgram run(archive.setting());
    ASSERT_TRUE(run.readyForCommands()) << run.program.log();
    ASSERT_TRUE(run.program.waitFor([&] { return lf_figure(run.painted(), "static:") > 0; }, 60s)) << run.painted();

    const std::string log = run.program.log();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(log, match, std::regex(R"((\d+) liveries read from)"))) << log;
    // The liveries, the park airport and its stands, as the log has them.
    ASSERT_TRUE(run.program.waitFor([&] {
        const std::string painted = run.painted();
        return lf_figure(painted, "# liveries:") == std::stoi(match[1]) && painted.find("EHAM  qf:") != std::string::npos;
    })) << run.painted();
    ASSERT_TRUE(std::regex_search(log, match, std::regex(R"(num_parkpos\s*: (\d+))"))) << log;
    EXPECT_EQ(lf_figure(run.painted(), "# stands:"), std::stoi(match[1]));
    EXPECT_NE(log.find("The park airport is EHAM"), std::string::npos);
    // Both readers work, and the simulator's answer names it.
    EXPECT_NE(run.painted().find("Weather (ok)       Traffic (ok)"), std::string::npos) << run.painted();
    EXPECT_NE(run.painted().find("MSFS 2020 ("), std::string::npos) << run.painted();
    EXPECT_NE(run.painted().find(", user stand D7"), std::string::npos) << run.painted();
    EXPECT_NE(run.painted().find("(next in 20 min)"), std::string::npos) << run.painted();
    // Live and static aircraft together are what the simulator shows of the program.
    EXPECT_TRUE(run.program.waitFor([&] {
        const std::string painted = run.painted();
        return lf_figure(painted, "live:") + lf_figure(painted, "static:") == static_cast<int>(run.objects().size());
    })) << run.painted();
    EXPECT_EQ(run.program.close(), 0);
}

// Destination, Block, Unblock, cs->oid and the live maximum act on the running program.
TEST(WindowProgram, CommandsReachTheLiveTrafficAndTheParkAirportList) {
    WindowProgram run;
    ASSERT_TRUE(run.readyForCommands()) << run.program.log();

    run.enter(control::kDestination, "EH-M");
    EXPECT_EQ(run.status(), "destination 'EH-M' is not valid");
    run.enter(control::kDestination, "ZZZZ");
    EXPECT_EQ(run.status(), "destination 'ZZZZ' is unknown ...");
    run.enter(control::kDestination, "eidw");
    EXPECT_EQ(run.status(), "New destination: EIDW");
    run.enter(control::kDestination, "EIDW");
    EXPECT_EQ(run.status(), "destination 'EIDW' was already set ...");
    // The destination leads the park-airport list, so it is taken as soon as it is in sight.
    ASSERT_TRUE(run.program.waitFor([&] {
        try {
            return vorl::test::readFile(run.program.dir / "airports" / "my_park_airports.txt").rfind("EIDW", 0) == 0;
        } catch (const std::exception&) {
            return false;
        }
    }));

    // The callsign list follows the live aircraft in the simulator.
    std::vector<std::string> callsigns;
    ASSERT_TRUE(run.program.waitFor([&] { return (callsigns = run.listEntries(control::kCallsignList)).size() >= 2; }, 60s))
        << run.program.log();
    const std::string chosen = callsigns.front();
    run.choose(control::kCallsignList, 0);
    run.click(control::kCallsignToObjectId);
    ASSERT_TRUE(run.program.waitFor([&] { return run.status().rfind(chosen + " has object id ", 0) == 0; })) << run.status();
    const auto objectId = static_cast<std::uint32_t>(std::stoul(run.status().substr(chosen.size() + 14)));
    ASSERT_TRUE(run.sim().object(objectId).has_value());
    EXPECT_EQ(run.sim().object(objectId)->tailNumber, chosen);

    run.click(control::kBlock);
    EXPECT_EQ(settingInFile(run.program.settingsFile(), "BLOCK_CALLSIGN"), chosen);
    EXPECT_TRUE(run.program.waitFor([&] { return !run.sim().object(objectId).has_value(); })) << "blocked aircraft left";
    EXPECT_GE(run.program.count("removed from simulator immediately while blocked"), 1u);
    run.enter(control::kBlockCallsign, chosen);
    EXPECT_EQ(run.status(), "callsign '" + chosen + "' was already set ...");
    run.click(control::kUnblock);
    EXPECT_EQ(run.status(), "no more blocking of live aircraft '" + chosen + "'");

    // A lower live maximum takes the surplus out at once.
    ASSERT_TRUE(run.program.waitFor([&] { return lf_figure(run.painted(), "live:") >= 3; }, 60s)) << run.painted();
    // Static aircraft are the objects no live callsign names; they stay.
    std::set<std::uint32_t> statics;
    const auto live = run.listEntries(control::kCallsignList);
    for (const auto& o : run.objects())
        if (std::find(live.begin(), live.end(), o.tailNumber) == live.end()) statics.insert(o.id);
    const auto liveObjects = [&] {
        const auto objects = run.objects();
        return std::count_if(objects.begin(), objects.end(), [&](const auto& o) { return statics.count(o.id) == 0; });
    };
    run.choose(0x8051, 0); // the smallest maximum of the list
    const int maximum = std::stoi(settingInFile(run.program.settingsFile(), "MAX_LIVE_SEL"));
    EXPECT_TRUE(run.program.waitFor([&] { return liveObjects() <= maximum; }, 5s))
        << liveObjects() << " live objects for a maximum of " << maximum;
    EXPECT_EQ(run.program.close(), 0);
}

// Flush static removes every static aircraft in two steps and places them again; Re-read gives
// its result and the controls back; Now announces the renewal.
TEST(WindowProgram, StaticParkingCommands) {
    ArchiveServer archive;
    WindowProgram run(archive.setting());
    ASSERT_TRUE(run.readyForCommands()) << run.program.log();
    ASSERT_TRUE(run.program.waitFor([&] { return lf_figure(run.painted(), "static:") >= 1; }, 60s)) << run.painted();

    ASSERT_TRUE(run.enabled(control::kNow)) << settingInFile(run.program.settingsFile(), "INITIAL_LOAD_ONLY");
    run.click(control::kNow);
    EXPECT_TRUE(run.program.waitFor([&] { return run.status().find("VORL will update static parking in ") == 0; }))
        << run.status() << "\n" << run.painted();

    run.click(control::kReRead);
    ASSERT_TRUE(run.program.waitFor([&] { return run.status().rfind("Stands of EHAM re-read: ", 0) == 0; })) << run.status();
    EXPECT_TRUE(run.program.waitFor([&] { return run.enabled(control::kReRead) && run.enabled(control::kDestination); }));
    EXPECT_GE(run.program.count("park airports and stands are okay") + run.program.count("reserved stand changed from"), 1u);

    ASSERT_TRUE(run.program.waitFor([&] { return lf_figure(run.painted(), "static:") >= 1; }, 60s)) << run.painted();
    const std::size_t logged = run.program.log().size();
    const auto after = [&](const std::string& text) { return run.program.log().find(text, logged); };
    run.click(control::kFlushStatic);
    EXPECT_EQ(run.status(), "All static parked aircraft will be removed ...");
    // First the parking pauses and says so, a quarter minute later everything goes and is planned anew.
    ASSERT_TRUE(run.program.waitFor([&] { return after("All static parked aircraft will be removed ...") != std::string::npos; }, 30s));
    ASSERT_TRUE(run.program.waitFor([&] { return after("Parking adjustments: ") != std::string::npos; }, 30s)) << run.program.log();
    EXPECT_LT(after("All static parked aircraft will be removed ..."), after("Parking adjustments: "));
    EXPECT_TRUE(run.program.waitFor([&] { return lf_figure(run.painted(), "static:") > 0; }, 60s)) << "placed again";
    EXPECT_EQ(run.program.close(), 0);
    // Nothing of the program is left in the simulator after closing.
    EXPECT_NE(run.program.log().find("static aircraft placed at EHAM"), std::string::npos);
    EXPECT_EQ(run.program.objectsLeftInSimulator(), std::vector<std::uint32_t>{});
}

// A scan switched on while the simulator link is up waits for the next start.
TEST(WindowProgram, ScanSwitchedOnDuringAFlightWaitsForTheNextStart) {
    WindowProgram run;
    ASSERT_TRUE(run.readyForCommands()) << run.program.log();
    EXPECT_TRUE(run.enabled(control::kScanAirports));
    if (gf_params().SCAN_LIVERIES.value()) run.click(0x801e);
    run.click(0x801e);
    EXPECT_EQ(run.status(), "Your liveries will be scanned at the next start of VORL");
    if (gf_params().SCAN_AIRPORTS.value()) run.click(control::kScanAirports);
    run.click(control::kScanAirports);
    EXPECT_EQ(run.status(), "Your airports will be scanned at the next start of VORL");
    EXPECT_FALSE(gf_run().stopRequested());
    EXPECT_EQ(run.program.close(), 0);
    EXPECT_EQ(run.program.startUps(), 1u);
}

// The navigation lights of parked aircraft and the time shift reach the aircraft in the simulator.
TEST(WindowProgram, NavLightsAndTimeShiftReachTheAircraft) {
    ArchiveServer archive;
    WindowProgram run(archive.setting());
    ASSERT_TRUE(run.readyForCommands()) << run.program.log();
    ASSERT_TRUE(run.program.waitFor([&] {
        const std::string painted = run.painted();
        return lf_figure(painted, "static:") >= 1 && lf_figure(painted, "live:") >= 2;
    }, 60s)) << run.painted();
    // Static aircraft are the program's objects that no live callsign names.
    const auto statics = [&] {
        const auto live = run.listEntries(control::kCallsignList);
        std::vector<standin::StandInObject> found;
        for (const auto& o : run.objects())
            if (std::find(live.begin(), live.end(), o.tailNumber) == live.end()) found.push_back(o);
        return found;
    };
    run.click(0x8006);
    const auto navOn = static_cast<std::uint32_t>(gf_params().NAV_LIGHTS_WHILE_PARKED.value());
    EXPECT_TRUE(run.program.waitFor([&] {
        const auto found = statics();
        return !found.empty() && std::all_of(found.begin(), found.end(), [&](const standin::StandInObject& o) {
            const auto it = o.lastEvents.find("NAV_LIGHTS_SET");
            return it != o.lastEvents.end() && it->second == navOn;
        });
    })) << "static aircraft switch their navigation lights";

    std::vector<std::uint32_t> liveIds;
    for (const auto& o : run.objects())
        if (const auto live = run.listEntries(control::kCallsignList); std::find(live.begin(), live.end(), o.tailNumber) != live.end())
            liveIds.push_back(o.id);
    ASSERT_FALSE(liveIds.empty());
    run.choose(0x805b, 1);
    EXPECT_EQ(run.status(), "Time shifted 60 minutes");
    // The traffic picture moved an hour back: the live aircraft of now leave.
    EXPECT_TRUE(run.program.waitFor([&] {
        return std::none_of(liveIds.begin(), liveIds.end(), [&](std::uint32_t id) { return run.sim().object(id).has_value(); });
    })) << run.program.log();
    EXPECT_EQ(run.program.close(), 0);
}
