#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "app/FrontEnd.h"

class QApplication;

namespace vorl {

class Commands;
class MainWindow;

// The window front-end: a Qt application with the main window. Every request from the core
// threads becomes a queued call on the GUI thread.
class QtFrontEnd : public FrontEnd {
public:
    QtFrontEnd(int& argc, char** argv, Commands& commands, std::optional<int> durationSeconds,
               std::optional<std::filesystem::path> screenshot);
    ~QtFrontEnd() override;

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

    MainWindow& window() { return *window_; }
    // Saves a picture of the window as it is now.
    bool saveScreenshot(const std::filesystem::path& file);

private:
    void onGuiThread(std::function<void()> call);
    void placeWindow();
    void saveWindowPosition();

    std::unique_ptr<QApplication> app_;
    std::unique_ptr<MainWindow> window_;
    std::optional<std::filesystem::path> screenshot_;
};

// True when a window can be shown: a display, or Qt's offscreen platform.
bool gf_windowAvailable();

} // namespace vorl
