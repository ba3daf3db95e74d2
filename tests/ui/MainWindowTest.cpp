// The window as a user works it: every control is there, clicks and entries change settings
// and say what they did, and the status display paints.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "app/AppPaths.h"
#include "app/Parameters.h"
#include "app/RunSlot.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/WindowCommands.h"
#include "app/WindowLayout.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/WindowFixture.h"
#include "ui/MainWindow.h"
#include "ui/StatusPainter.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::TempFolder;

namespace {

struct Window : test::WindowFixture<MainWindow> {
    template <typename T> T* get(int id) {
        auto* w = qobject_cast<T*>(window->control(id));
        EXPECT_NE(w, nullptr) << std::hex << id;
        return w;
    }
    void click(int id) { QTest::mouseClick(window->control(id), Qt::LeftButton); }
    void choose(int id, int index) { emit get<QComboBox>(id)->activated(index); }
    void enter(int id, const QString& text) {
        auto* edit = get<QLineEdit>(id);
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    std::string fileValue(const std::string& key) {
        pugi::xml_document doc;
        doc.load_file((dir / "parameters.xml").c_str());
        return doc.child("root").child("parameters").find_child_by_attribute("parameter", "name", key.c_str())
            .attribute("value").as_string();
    }
    std::string status() { return gf_status().status(); }
};

} // namespace

TEST_F(Window, EveryControlStandsAtItsRowWithItsId) {
    EXPECT_EQ(window->width(), 880);
    EXPECT_EQ(window->height(), 516);
    EXPECT_EQ(gf_controls().size(), 48u);
    for (const auto& spec : gf_controls()) {
        QWidget* w = window->control(spec.id);
        ASSERT_NE(w, nullptr) << std::hex << spec.id;
        EXPECT_EQ(w->objectName().toStdString(), fmt::format("0x{:04x}", spec.id));
        EXPECT_EQ(w->x(), spec.x) << std::hex << spec.id;
        switch (spec.kind) {
        case ControlKind::CheckBox: EXPECT_TRUE(qobject_cast<QCheckBox*>(w)); EXPECT_EQ(w->y(), spec.row + 2); break;
        case ControlKind::DropDownList: EXPECT_TRUE(qobject_cast<QComboBox*>(w)); EXPECT_EQ(w->y(), spec.row - 5); break;
        case ControlKind::EditBox: EXPECT_TRUE(qobject_cast<QLineEdit*>(w)); break;
        case ControlKind::PushButton: EXPECT_TRUE(qobject_cast<QPushButton*>(w)); EXPECT_EQ(w->y(), spec.row); break;
        }
        if (!spec.settingKey.empty()) {
            EXPECT_TRUE(gf_params().find(spec.settingKey)) << spec.settingKey;
        }
    }
    EXPECT_EQ(get<QComboBox>(0x8016)->count(), 64);
    EXPECT_FALSE(get<QComboBox>(0x8016)->isEnabled()) << "package order is locked while a scan is pending";
    EXPECT_FALSE(get<QComboBox>(0x8052)->isEnabled());
    EXPECT_EQ(get<QComboBox>(0x8056)->itemText(0).toStdString(), "0.5");
}

TEST_F(Window, CheckBoxesToggleAndSaveTheirSettingAndSayWhy) {
    const std::vector<std::pair<int, std::string>> said{
        {0x801f, "The liveries defined by your lfolder parameters will be scanned"},
        {0x8043, ""},
        {0x8042, "Be aware, user aircraft may collide with (run through) live aircraft and static parked on the ground"},
        {0x8041, "Be aware, user aircraft may collide with (run through) live aircraft in the air"},
        {0x8005, "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!"},
        {0x8003, "VORL's window will remain visible"},
        {0x8053, "Initial Load Only: static parked aircraft are generated once, no renewal every 20 minutes"},
        {0x8035, "Be aware, airborne live traffic only!  (greater than 150 ft above ground ...)"},
    };
    for (const auto& [id, text] : said) {
        gf_status().clearStatus();
        const ControlSpec* spec = gf_controlById(id);
        const std::string before = fileValue(spec->settingKey);
        click(id);
        EXPECT_NE(fileValue(spec->settingKey), before) << spec->settingKey;
        EXPECT_EQ(get<QCheckBox>(id)->isChecked(), fileValue(spec->settingKey) == "true");
        if (!text.empty()) {
            EXPECT_EQ(status(), text) << spec->settingKey;
        }
    }
    EXPECT_FALSE(window->control(control::kNow)->isEnabled()) << "Now is off while ILO is on";
    click(0x8043);
    EXPECT_EQ(status(), "Be aware, live aircraft may collide with (run through) static parked on the ground");
    click(0x8007);
    EXPECT_NE(status().find("ObjectIdList.txt"), std::string::npos);
    EXPECT_FALSE(gf_run().stopRequested());
}

TEST_F(Window, ScanSwitchedOnBeforeConnectionRestartsAfterTwoSeconds) {
    click(0x801e); // off: the package list opens up
    EXPECT_TRUE(get<QComboBox>(0x8016)->isEnabled());
    EXPECT_FALSE(gf_run().stopRequested());
    click(0x801e); // on again, no simulator link yet
    EXPECT_EQ(status(), "Your liveries will be scanned");
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewSettings);
    EXPECT_EQ(gf_run().restartDelay(), 2);

    // The airport scan box waits for the simulator link, which the scan asks for facility data.
    EXPECT_FALSE(get<QCheckBox>(0x8022)->isEnabled());
}

TEST_F(Window, ListsStoreTheChosenEntryAndActOnIt) {
    choose(0x8032, 2);
    EXPECT_EQ(gf_params().RANGE.value(), 4);
    EXPECT_EQ(fileValue("RANGE"), "4");

    choose(0x8056, 2);
    EXPECT_FLOAT_EQ(gf_params().MAX_FIT_FL.value(), 1.5f);
    EXPECT_EQ(fileValue("MAX_FIT"), "3");

    choose(0x805b, 2);
    EXPECT_EQ(status(), "Time shifted 120 minutes");
    choose(0x805c, 1);
    EXPECT_EQ(status(), "Time shifted 121 minutes");

    choose(0x8016, 1);
    EXPECT_EQ(status(), "If you want to make this choice effective, you must start a Scan for liveries");

    choose(0x8015, 0);
    EXPECT_FALSE(gf_run().stopRequested()) << "the simulator in use again: no restart";
    choose(0x8015, 1);
    EXPECT_EQ(gf_params().SIM_CHOICE.value(), "MSFS 2024");
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewSettings);
    EXPECT_EQ(gf_run().restartDelay(), 3);
}

TEST_F(Window, EditBoxesActOnEnter) {
    commands.editEntered(0x803c, "K");
    EXPECT_EQ(status(), "callsign 'K' is not valid");
    commands.editEntered(0x803c, "KLM1234");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "KLM1234");
    commands.editEntered(0x803c, "KLM1234");
    EXPECT_EQ(status(), "callsign 'KLM1234' was already set ...");

    commands.editEntered(0x8047, "EH-M");
    EXPECT_EQ(status(), "destination 'EH-M' is not valid");
    commands.editEntered(0x8047, "");
    EXPECT_EQ(status(), "destination set to empty");

    enter(0x8014, QString::fromStdString((dir / "nowhere").string()));
    EXPECT_EQ(status(), "This install path does not exist: " + (dir / "nowhere").string());
    fs::create_directories(dir / "sim" / "Community");
    fs::create_directories(dir / "sim" / "Official");
    enter(0x8014, QString::fromStdString((dir / "sim" / "Community").string() + "/"));
    EXPECT_EQ(status(), "Community path found, VORL will restart ...");
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewSettings);
    EXPECT_EQ(get<QLineEdit>(0x8014)->text().toStdString(), (dir / "sim").string());
}

TEST_F(Window, ButtonsAndEditBoxesWaitForARunOfTheProgram) {
    for (const auto& spec : gf_controls())
        if (spec.kind == ControlKind::PushButton || (spec.kind == ControlKind::EditBox && spec.id != control::kInstallPath))
            EXPECT_FALSE(window->control(spec.id)->isEnabled()) << std::hex << spec.id;
}

TEST_F(Window, StatusDisplayPaintsFiguresAndTheErrorInRed) {
    StatusFigures figures;
    figures.qnh = 1009;
    figures.liveCount = 42;
    window->setFigures(figures);
    gf_status().setError("something is wrong");
    const auto lines = window->displayLines();
    EXPECT_EQ(lines[0].text, "Version 0.1.0    qnh: 1009    live:  42");
    EXPECT_EQ(lines[4].colour, DisplayLine::Colour::Error);
    QImage image(880, 516, QImage::Format_RGB32);
    QPainter painter(&image);
    gf_paintWindow(painter, 880, 516, window->figures());
    painter.end();
    bool red = false;
    for (int y = 0; y < 112 && !red; ++y)
        for (int x = 0; x < 300 && !red; ++x) red = image.pixelColor(x, y) == QColor(255, 0, 0);
    EXPECT_TRUE(red);
    gf_status().clearError();
}

TEST_F(Window, TbloZipWithoutFileManagerWarnsAndGoesOn) {
    click(0x8020);
    click(0x8020);
    EXPECT_EQ(status(), "Liveries, for airl+model, in lower lfolders that are already available will be skipped");
    const CommandEffect effect = commands.buttonClicked(control::kTbloZip);
    EXPECT_EQ(effect.warning, "Could not open File Explorer at tblo.zip.");
    EXPECT_FALSE(gf_run().stopRequested());
}
