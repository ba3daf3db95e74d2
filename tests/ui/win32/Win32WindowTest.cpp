// The Win32 window as a user works it, run under Windows or Wine: every control is there at its
// place, clicks and entries reach the commands, requests from other threads run on the window's
// thread, and the window's picture is a PNG of what it shows.
#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zlib.h>

#include "app/AppPaths.h"
#include "app/Parameters.h"
#include "app/RunControl.h"
#include "app/RunSlot.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/WindowCommands.h"
#include "app/WindowLayout.h"
#include "common/Log.h"
#include "tests/ui/WindowFixture.h"
#include "ui/win32/PngFile.h"
#include "ui/win32/Win32FrontEnd.h"
#include "ui/win32/Win32MainWindow.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::TempFolder;

namespace {

std::uint32_t lf_bigEndian(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

// Reads back what the PNG writer writes (8-bit RGB, per-row filters None or Sub): every chunk's
// CRC is checked, the rows are inflated and unfiltered.
std::optional<RgbImage> lf_decodePng(const std::string& png) {
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (png.size() < 8 || png.compare(0, 8, kSignature, 8) != 0) return std::nullopt;
    RgbImage image;
    std::string compressed;
    bool ended = false;
    for (std::size_t at = 8; at + 12 <= png.size() && !ended;) {
        const std::uint32_t length = lf_bigEndian(png, at);
        if (at + 12 + length > png.size()) return std::nullopt;
        const std::string type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, length);
        const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
        if (crc != lf_bigEndian(png, at + 8 + length)) return std::nullopt;
        if (type == "IHDR") {
            if (data.size() != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) return std::nullopt;
            image.width = static_cast<int>(lf_bigEndian(data, 0));
            image.height = static_cast<int>(lf_bigEndian(data, 4));
        } else if (type == "IDAT") {
            compressed += data;
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    if (!ended || image.width <= 0 || image.height <= 0) return std::nullopt;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    std::vector<std::uint8_t> rows((rowBytes + 1) * static_cast<std::size_t>(image.height));
    uLongf size = static_cast<uLongf>(rows.size());
    if (uncompress(rows.data(), &size, reinterpret_cast<const Bytef*>(compressed.data()),
                   static_cast<uLong>(compressed.size())) != Z_OK ||
        size != rows.size())
        return std::nullopt;
    image.pixels.resize(rowBytes * static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(image.height); ++y) {
        const std::uint8_t filter = rows[y * (rowBytes + 1)];
        const std::uint8_t* in = &rows[y * (rowBytes + 1) + 1];
        std::uint8_t* out = &image.pixels[y * rowBytes];
        for (std::size_t i = 0; i < rowBytes; ++i) {
            if (filter == 0)
                out[i] = in[i];
            else if (filter == 1)
                out[i] = static_cast<std::uint8_t>(in[i] + (i >= 3 ? out[i - 3] : 0));
            else
                return std::nullopt;
        }
    }
    return image;
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << '(' << c.r << ',' << c.g << ',' << c.b << ')';
}

Rgb lf_pixel(const RgbImage& image, int x, int y) {
    const std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) *
        3;
    return {image.pixels[at], image.pixels[at + 1], image.pixels[at + 2]};
}

std::wstring lf_className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring lf_text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// Where a control stands in its parent's client area.
POINT lf_placeOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top};
}

struct Win32Window : test::WindowFixture<Win32MainWindow> {
    HWND get(int id) {
        HWND control = window->control(id);
        EXPECT_NE(control, nullptr) << std::hex << id;
        return control;
    }
    void click(int id) { SendMessageW(get(id), BM_CLICK, 0, 0); }
    // As the list reports a choice of the user.
    void choose(int id, int index) {
        HWND list = get(id);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }
    void enter(int id, const std::wstring& text) {
        HWND edit = get(id);
        SetWindowTextW(edit, text.c_str());
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    }
    bool checked(int id) { return SendMessageW(get(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::string fileValue(const std::string& key) {
        pugi::xml_document doc;
        doc.load_file((dir / "parameters.xml").c_str());
        return doc.child("root")
            .child("parameters")
            .find_child_by_attribute("parameter", "name", key.c_str())
            .attribute("value")
            .as_string();
    }
    std::string status() { return gf_status().status(); }
    std::string log() {
        Log::instance().close();
        const std::string text = test::readFile(dir / "Log.txt");
        return text;
    }
};

} // namespace

TEST(PngFile, RowsComeBackAsWritten) {
    RgbImage image;
    image.width = 37;
    image.height = 5;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c)
                image.pixels.push_back(static_cast<std::uint8_t>(x * 7 + y * 31 + c * 101));
    const std::string png = gf_encodePng(image);
    const auto decoded = lf_decodePng(png);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 37);
    EXPECT_EQ(decoded->height, 5);
    EXPECT_EQ(decoded->pixels, image.pixels);
}

TEST(PngFile, EmptyOrMismatchedImagesAreRefused) {
    EXPECT_TRUE(gf_encodePng({}).empty());
    RgbImage shortRows{2, 2, std::vector<std::uint8_t>(11)};
    EXPECT_TRUE(gf_encodePng(shortRows).empty());
    TempFolder dir;
    std::string error;
    EXPECT_FALSE(gf_writePng(dir / "x.png", shortRows, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(dir / "x.png"));
}

TEST_F(Win32Window, EveryControlStandsAtItsRowWithItsId) {
    RECT client{};
    GetClientRect(window->handle(), &client);
    EXPECT_EQ(client.right, 880);
    EXPECT_EQ(client.bottom, 516);
    EXPECT_EQ(lf_text(window->handle()), L"VORL");
    EXPECT_EQ(gf_controls().size(), 48u);
    for (const auto& spec : gf_controls()) {
        HWND control = window->control(spec.id);
        ASSERT_NE(control, nullptr) << std::hex << spec.id;
        EXPECT_EQ(GetDlgCtrlID(control), spec.id);
        EXPECT_EQ(GetParent(control), window->handle());
        const POINT at = lf_placeOf(control);
        EXPECT_EQ(at.x, spec.x) << std::hex << spec.id;
        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        switch (spec.kind) {
        case ControlKind::CheckBox:
            EXPECT_EQ(_wcsicmp(lf_className(control).c_str(), L"Button"), 0);
            EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
            EXPECT_EQ(at.y, spec.row + 2);
            break;
        case ControlKind::DropDownList:
            EXPECT_EQ(_wcsicmp(lf_className(control).c_str(), L"ComboBox"), 0);
            EXPECT_EQ(style & 3, CBS_DROPDOWNLIST);
            EXPECT_EQ(at.y, spec.row - 5);
            break;
        case ControlKind::EditBox:
            EXPECT_EQ(_wcsicmp(lf_className(control).c_str(), L"Edit"), 0);
            EXPECT_EQ(at.y, spec.row - 1);
            break;
        case ControlKind::PushButton:
            EXPECT_EQ(_wcsicmp(lf_className(control).c_str(), L"Button"), 0);
            EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
            EXPECT_EQ(at.y, spec.row);
            EXPECT_EQ(lf_text(control), std::wstring(spec.buttonText.begin(), spec.buttonText.end()));
            break;
        }
        if (!spec.settingKey.empty()) {
            EXPECT_TRUE(gf_params().find(spec.settingKey)) << spec.settingKey;
        }
    }
    EXPECT_EQ(SendMessageW(get(0x8016), CB_GETCOUNT, 0, 0), 64);
    EXPECT_FALSE(IsWindowEnabled(get(0x8016))) << "package order is locked while a scan is pending";
    EXPECT_FALSE(IsWindowEnabled(get(0x8052)));
    wchar_t first[16] = {};
    SendMessageW(get(0x8056), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"0.5");
}

TEST_F(Win32Window, CheckBoxesToggleAndSaveTheirSettingAndSayWhy) {
    const std::vector<std::pair<int, std::string>> said{
        {0x801f, "The liveries defined by your lfolder parameters will be scanned"},
        {0x8042, "Be aware, user aircraft may collide with (run through) live aircraft and static parked on "
                 "the ground"},
        {0x8005, "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!"},
        {0x8003, "VORL's window will remain visible"},
    };
    for (const auto& [id, text] : said) {
        gf_status().clearStatus();
        const ControlSpec* spec = gf_controlById(id);
        const std::string before = fileValue(spec->settingKey);
        click(id);
        EXPECT_NE(fileValue(spec->settingKey), before) << spec->settingKey;
        EXPECT_EQ(checked(id), fileValue(spec->settingKey) == "true");
        EXPECT_EQ(status(), text) << spec->settingKey;
    }
    // Stay on top: the window follows the box.
    EXPECT_TRUE(GetWindowLongPtrW(window->handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    click(0x8003);
    EXPECT_FALSE(GetWindowLongPtrW(window->handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(gf_run().stopRequested());
}

TEST_F(Win32Window, ListsStoreTheChosenEntryAndActOnIt) {
    choose(0x8032, 2);
    EXPECT_EQ(gf_params().RANGE.value(), 4);
    EXPECT_EQ(fileValue("RANGE"), "4");
    choose(0x805b, 2);
    EXPECT_EQ(status(), "Time shifted 120 minutes");
    choose(0x8015, 1);
    EXPECT_EQ(gf_params().SIM_CHOICE.value(), "MSFS 2024");
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewSettings);
}

TEST_F(Win32Window, ListsFollowTheirSetting) {
    gf_params().RANGE.set(gf_params().RANGE.choices().at(3));
    window->syncControl("RANGE");
    EXPECT_EQ(SendMessageW(get(0x8032), CB_GETCURSEL, 0, 0), 3);
}

TEST_F(Win32Window, EditBoxesActOnEnter) {
    enter(0x8014, (dir / "nowhere").wstring());
    EXPECT_EQ(status(), "This install path does not exist: " + (dir / "nowhere").string());
    fs::create_directories(dir / "sim" / "Community");
    fs::create_directories(dir / "sim" / "Official");
    enter(0x8014, (dir / "sim" / "Community").wstring() + L"\\");
    EXPECT_EQ(status(), "Community path found, VORL will restart ...");
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewSettings);
    EXPECT_EQ(lf_text(get(0x8014)), (dir / "sim").wstring());
}

TEST_F(Win32Window, ButtonsAndEditBoxesWaitForARunOfTheProgram) {
    for (const auto& spec : gf_controls()) {
        if (spec.kind == ControlKind::PushButton ||
            (spec.kind == ControlKind::EditBox && spec.id != control::kInstallPath)) {
            EXPECT_FALSE(IsWindowEnabled(window->control(spec.id))) << std::hex << spec.id;
        }
    }
}

TEST_F(Win32Window, ClosingTheWindowAsksTheProgramToCloseDown) {
    SendMessageW(window->handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window->handle())) << "the window stays until closing down is finished";
    EXPECT_EQ(status(), "Close window button clicked, closing VORL ...");
    EXPECT_TRUE(gf_run().windowClosed());
    EXPECT_EQ(gf_run().reason(), ClosingReason::UserClosedSim);
}

TEST_F(Win32Window, DisplayShowsTheLatestFigures) {
    StatusFigures figures;
    figures.liveCount = 17;
    figures.parking.airport = "EHAM";
    window->setFigures(figures);
    const auto lines = window->displayLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_NE(lines[0].text.find("live:  17"), std::string::npos);
    EXPECT_EQ(lines.back().text.rfind("average fit", 0), 0u);
}

// The front-end with its own window: requests of other threads run on the window's thread,
// in order, and the loop ends with the program's exit code.
struct Win32Program : Win32Window {
    void SetUp() override { freshProgramState(); }
    void TearDown() override { Log::instance().close(); }
};

TEST_F(Win32Program, RequestsOfOtherThreadsRunOnTheWindowsThread) {
    Win32FrontEnd frontEnd(commands, std::nullopt, dir / "window.png");
    const DWORD guiThread = GetCurrentThreadId();
    std::vector<DWORD> ranOn;
    gf_run().setExitCode(7);
    gf_params().RANGE.set(gf_params().RANGE.choices().at(1));
    std::thread core([&] {
        StatusFigures figures;
        figures.liveCount = 23;
        frontEnd.showFigures(figures);
        frontEnd.updateControl(gf_params().RANGE);
        frontEnd.onGuiThread([&] { ranOn.push_back(GetCurrentThreadId()); });
        frontEnd.setTopMost(true);
        frontEnd.postSaveAndQuit();
    });
    const int exitCode = frontEnd.runMessageLoop();
    core.join();
    EXPECT_EQ(exitCode, 7);
    EXPECT_EQ(ranOn, std::vector<DWORD>{guiThread});
    EXPECT_EQ(frontEnd.window().figures().liveCount, 23);
    EXPECT_EQ(SendMessageW(frontEnd.window().control(0x8032), CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(GetWindowLongPtrW(frontEnd.window().handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    // The window's corner is stored for the next start.
    RECT frame{};
    GetWindowRect(frontEnd.window().handle(), &frame);
    EXPECT_EQ(fileValue("MAIN_WINDOW_X"), std::to_string(frame.left));
    EXPECT_EQ(fileValue("MAIN_WINDOW_Y"), std::to_string(frame.top));

    const auto picture = lf_decodePng(test::readFile(dir / "window.png"));
    ASSERT_TRUE(picture) << "the picture is saved when the program quits";
    EXPECT_EQ(picture->width, 880);
    EXPECT_EQ(picture->height, 516);
    EXPECT_EQ(lf_pixel(*picture, 870, 60), (Rgb{153, 204, 255})) << "light blue background";
    EXPECT_EQ(lf_pixel(*picture, 870, kStatusAreaHeight - 2), (Rgb{255, 255, 255}))
        << "rule below the status display";
    EXPECT_EQ(lf_pixel(*picture, 870, kParkingPanelTop - 4), (Rgb{255, 255, 255}))
        << "rule above the parking panel";
    const std::string text = log();
    EXPECT_NE(text.find("Window picture saved to "), std::string::npos);
}

TEST_F(Win32Program, CallsLeftWhenTheLoopEndedNeverRun) {
    bool ran = false;
    {
        Win32FrontEnd frontEnd(commands, std::nullopt, std::nullopt);
        frontEnd.postSaveAndQuit();
        EXPECT_EQ(frontEnd.runMessageLoop(), 0);
        frontEnd.onGuiThread([&] { ran = true; });
    }
    EXPECT_FALSE(ran);
}

TEST_F(Win32Program, TheRunTimeEndsTheProgramWithAPicture) {
    Win32FrontEnd frontEnd(commands, 1, dir / "at-work.png");
    // The core answers the stop request by closing down, which ends with the quit.
    std::thread core([&] {
        while (!gf_run().stopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        frontEnd.postSaveAndQuit();
    });
    const int exitCode = frontEnd.runMessageLoop();
    core.join();
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(gf_run().windowClosed());
    EXPECT_EQ(gf_run().reason(), ClosingReason::UserClosedSim);
    EXPECT_TRUE(lf_decodePng(test::readFile(dir / "at-work.png")));
    const std::string text = log();
    EXPECT_NE(text.find("Run time of 1 seconds is over"), std::string::npos);
    EXPECT_EQ(text.find("Window picture saved to "), text.rfind("Window picture saved to "))
        << "one picture: the one taken when the run time was over";
}

TEST_F(Win32Program, ThePictureShowsTheReadersStatesAndTheMarkedSetting) {
    gf_params().GUID_CHANGES.set(false);
    Win32FrontEnd frontEnd(commands, std::nullopt, std::nullopt);
    StatusFigures figures;
    figures.weather = LinkState::Ok;
    figures.traffic = LinkState::Error;
    frontEnd.window().setFigures(figures);
    ASSERT_TRUE(frontEnd.savePicture(dir / "states.png"));
    const auto picture = lf_decodePng(test::readFile(dir / "states.png"));
    ASSERT_TRUE(picture);
    // The icons are the only green and red in the status display: no error is shown.
    int green = 0;
    int red = 0;
    for (int y = 0; y < kStatusAreaHeight - 2; ++y) {
        for (int x = 0; x < picture->width; ++x) {
            const Rgb c = lf_pixel(*picture, x, y);
            green += c == Rgb{50, 205, 50};
            red += c == Rgb{255, 0, 0};
        }
    }
    EXPECT_GT(green, 20) << "weather ok";
    EXPECT_GT(red, 20) << "traffic error";
    EXPECT_EQ(lf_pixel(*picture, 763, 205), (Rgb{255, 255, 0})) << "GUID changes switched off is marked";
}

TEST_F(Win32Program, AWindowStoredOffTheScreenComesBackIntoView) {
    gf_params().MAIN_WINDOW_X.set(5000);
    gf_params().MAIN_WINDOW_Y.set(100);
    Win32FrontEnd frontEnd(commands, std::nullopt, std::nullopt);
    const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(primary, &monitor));
    RECT frame{};
    GetWindowRect(frontEnd.window().handle(), &frame);
    EXPECT_EQ(frame.left, monitor.rcWork.right - 48) << "48 pixels of the window stay on the screen";
    EXPECT_EQ(frame.top, 100);
    EXPECT_EQ(fileValue("MAIN_WINDOW_X"), std::to_string(frame.left));
}

TEST_F(Win32Program, EnterInAnEditPassesTheDialogKeysOfTheMessageLoop) {
    Win32FrontEnd frontEnd(commands, std::nullopt, std::nullopt);
    HWND edit = frontEnd.window().control(control::kInstallPath);
    SetWindowTextW(edit, (dir / "nowhere").wstring().c_str());
    SetFocus(edit);
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(edit, WM_CHAR, L'\r', 0);
    frontEnd.postSaveAndQuit();
    EXPECT_EQ(frontEnd.runMessageLoop(), 0);
    EXPECT_EQ(status(), "This install path does not exist: " + (dir / "nowhere").string());
}
