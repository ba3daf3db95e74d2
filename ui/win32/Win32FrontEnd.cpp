#include "ui/win32/Win32FrontEnd.h"

#include <chrono>
#include <utility>

#include "app/Lifecycle.h"
#include "app/Parameters.h"
#include "app/RunControl.h"
#include "app/StatusFigures.h"
#include "app/WindowPosition.h"
#include "common/Folders.h"
#include "common/Log.h"
#include "common/TimeStamp.h"
#include "ui/win32/PngFile.h"
#include "ui/win32/Win32MainWindow.h"
#include "ui/win32/WindowCapture.h"

namespace fs = std::filesystem;

namespace vorl {
Win32FrontEnd::Win32FrontEnd(Commands& commands, std::optional<int> durationSeconds,
                             std::optional<fs::path> picture)
    : window_(std::make_unique<Win32MainWindow>(commands)), picture_(std::move(picture)),
      postTarget_(window_->handle()) {
    if (durationSeconds) {
        window_->runOnceAfter(std::chrono::seconds(*durationSeconds), [this, seconds = *durationSeconds] {
            logLine("Run time of {} seconds is over", seconds);
            // The picture shows the window at work, not after closing down has emptied it.
            if (picture_) savePicture(*std::exchange(picture_, std::nullopt));
            gf_run().setWindowClosed();
            gf_run().requestStop(ClosingReason::UserClosedSim, 0);
        });
    }
    placeWindow();
    window_->show();
}

Win32FrontEnd::~Win32FrontEnd() {
    {
        std::lock_guard lock(postMutex_);
        postTarget_ = nullptr;
    }
    dropPendingCalls();
    window_.reset();
}

void Win32FrontEnd::onGuiThread(std::function<void()> call) {
    auto posted = std::make_unique<std::function<void()>>(std::move(call));
    std::lock_guard lock(postMutex_);
    if (!postTarget_) return;
    if (PostMessageW(postTarget_, kRunCallMessage, 0, reinterpret_cast<LPARAM>(posted.get())))
        posted.release(); // the window procedure owns it now
    else
        logImportant("PostMessage to the window failed: error {}", GetLastError());
}

void Win32FrontEnd::dropPendingCalls() {
    const HWND window = window_ ? window_->handle() : nullptr;
    if (!window) return;
    MSG msg{};
    while (PeekMessageW(&msg, window, kRunCallMessage, kRunCallMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(msg.lParam);
}

void Win32FrontEnd::postStart() {
    onGuiThread([] { gf_launchStartUpThread(); });
}

void Win32FrontEnd::postSaveAndQuit() {
    onGuiThread([this] {
        window_->update();
        if (picture_) savePicture(*picture_);
        saveWindowPosition();
        logLine(gf_nowText());
        PostQuitMessage(gf_run().exitCode());
    });
}

void Win32FrontEnd::postRepaint() {
    onGuiThread([this] { window_->update(); });
}

void Win32FrontEnd::updateControl(const Parameter& parameter) {
    onGuiThread([this, key = parameter.key()] { window_->syncControl(key); });
}

void Win32FrontEnd::showFigures(const StatusFigures& figures) {
    onGuiThread([this, figures] { window_->setFigures(figures); });
}

void Win32FrontEnd::refreshControls() {
    onGuiThread([this] { window_->refreshEnabled(); });
}

void Win32FrontEnd::setTopMost(bool topMost) {
    onGuiThread([this, topMost] { window_->setTopMost(topMost); });
}

void Win32FrontEnd::showWarning(const std::string& text) {
    onGuiThread([this, text] { window_->showWarning(text); });
}

int Win32FrontEnd::runMessageLoop() {
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam); // WM_QUIT carries the exit code
        if (got == -1) {
            logImportant("GetMessage failed: error {}", GetLastError());
            return gf_run().exitCode();
        }
        // Tab moves between the controls and Enter reaches the focused one, as in a dialog.
        const HWND window = window_->handle();
        if (window && IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Win32FrontEnd::savePicture(const fs::path& file) {
    const auto image = gf_captureClientArea(window_->handle());
    std::string error = "the window could not be captured";
    const bool saved = image && gf_writePng(file, *image, &error);
    if (saved) {
        logLine("Window picture saved to {}", gf_utf8Text(file));
    } else {
        logLine("Window picture: {}", error);
        logImportant("Could not save the window picture to {}", gf_utf8Text(file));
    }
    return saved;
}

void Win32FrontEnd::placeWindow() {
    Parameters& p = gf_params();
    const HWND window = window_->handle();
    RECT frame{};
    GetWindowRect(window, &frame);
    // The monitor holding the stored corner, the primary one when none does.
    const POINT stored{p.MAIN_WINDOW_X.value(), p.MAIN_WINDOW_Y.value()};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ScreenRect area{0, 0, 1920, 1080};
    if (GetMonitorInfoW(MonitorFromPoint(stored, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        const RECT& work = monitor.rcWork;
        area = {work.left, work.top, work.right - work.left, work.bottom - work.top};
    }
    const WindowCorner corner = gf_checkWindowPosition(
        {p.MAIN_WINDOW_X.value(), p.MAIN_WINDOW_Y.value()}, frame.right - frame.left,
        frame.bottom - frame.top, area, p.MAIN_WINDOW_X.lower(), p.MAIN_WINDOW_X.upper());
    if (corner.x != p.MAIN_WINDOW_X.value() || corner.y != p.MAIN_WINDOW_Y.value()) {
        p.MAIN_WINDOW_X.set(corner.x);
        p.MAIN_WINDOW_Y.set(corner.y);
        p.save(p.MAIN_WINDOW_X);
        p.save(p.MAIN_WINDOW_Y);
    }
    SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FrontEnd::saveWindowPosition() {
    Parameters& p = gf_params();
    const HWND window = window_->handle();
    RECT frame{};
    if (IsIconic(window) || IsZoomed(window)) {
        // Where the window stands when restored, not the minimized or maximized frame.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        GetWindowPlacement(window, &placement);
        frame = placement.rcNormalPosition;
        // The placement counts from the work area, which a task bar at the left or top moves.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromRect(&frame, MONITOR_DEFAULTTONEAREST), &monitor))
            OffsetRect(&frame, monitor.rcWork.left - monitor.rcMonitor.left,
                       monitor.rcWork.top - monitor.rcMonitor.top);
    } else {
        GetWindowRect(window, &frame);
    }
    p.MAIN_WINDOW_X.set(frame.left);
    p.MAIN_WINDOW_Y.set(frame.top);
    p.save(p.MAIN_WINDOW_X);
    p.save(p.MAIN_WINDOW_Y);
    placeWindow();
}

} // namespace vorl
