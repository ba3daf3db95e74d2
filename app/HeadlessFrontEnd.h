#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/FrontEnd.h"
#include "app/StatusFigures.h"

namespace vorl {

// The console front-end: no window; status and error lines go to the console (and, as the
// core decides, to the log). Ctrl+C closes the program like the window's close button.
class HeadlessFrontEnd : public FrontEnd {
public:
    explicit HeadlessFrontEnd(std::optional<int> durationSeconds);

    void postStart() override;
    void postSaveAndQuit() override;
    void postRepaint() override;
    void showFigures(const StatusFigures& figures) override;
    void updateControl(const Parameter&) override {}
    void refreshControls() override {}
    void setTopMost(bool) override {}
    void showWarning(const std::string& text) override;
    bool hasWindow() const override { return false; }
    int runMessageLoop() override;

    // The status display as a window would paint it now.
    std::vector<DisplayLine> displayLines() const;

private:
    enum class Event { Start, SaveAndQuit, Repaint };
    void post(Event event);
    void printChangedTexts();
    void checkCloseRequests();

    mutable std::mutex mutex_;
    StatusFigures figures_;
    std::condition_variable wake_;
    std::deque<Event> events_;
    std::optional<int> durationSeconds_;
    std::chrono::steady_clock::time_point started_;
    bool durationOver_ = false;
    bool interrupted_ = false;
    std::string shownStatus_;
    std::string shownError_;
};

} // namespace vorl
