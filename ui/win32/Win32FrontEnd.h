#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <windows.h>

#include "app/FrontEnd.h"

namespace vorl {

class Commands;
class Win32MainWindow;

// The window front-end of the Windows program: the Win32 main window and its message loop.
// Every request from the core threads becomes a call posted to the window and run by its
// window procedure on the GUI thread (the one that made the front-end and runs the loop).
class Win32FrontEnd : public FrontEnd {
  public:
    // Creates and shows the window. Throws std::runtime_error when Windows refuses it.
    Win32FrontEnd(Commands& commands, std::optional<int> durationSeconds,
                  std::optional<std::filesystem::path> picture);
    ~Win32FrontEnd() override;
    Win32FrontEnd(const Win32FrontEnd&) = delete;
    Win32FrontEnd& operator=(const Win32FrontEnd&) = delete;

    void postStart() override;
    void postSaveAndQuit() override;
    void postRepaint() override;
    void showFigures(const StatusFigures& figures) override;
    void updateControl(const Parameter& parameter) override;
    void refreshControls() override;
    void setTopMost(bool topMost) override;
    void showWarning(const std::string& text) override;
    bool hasWindow() const override { return true; }
    int runMessageLoop() override;

    Win32MainWindow& window() { return *window_; }
    // Saves a picture of the window's client area as it is now, as a PNG file.
    bool savePicture(const std::filesystem::path& file);
    // Runs `call` on the GUI thread, in order with every other posted request; dropped once the
    // front-end closes.
    void onGuiThread(std::function<void()> call);

  private:
    void placeWindow();
    void saveWindowPosition();
    // Deletes the calls still queued for the window, which will never run them now.
    void dropPendingCalls();

    std::unique_ptr<Win32MainWindow> window_;
    std::optional<std::filesystem::path> picture_;
    std::mutex postMutex_;
    HWND postTarget_ = nullptr; // nothing once the front-end closes
};

} // namespace vorl
