#pragma once
#include <functional>
#include <mutex>
#include <string>

namespace vorl {

// The one status line and the one sticky error text the window shows.
class StatusBoard {
public:
    // Called whenever either text changes, so that the front-end repaints.
    void setRepaintHook(std::function<void()> hook);

    // Ignored while an error text is shown.
    void setStatus(const std::string& text, bool log);
    void clearStatus();
    // Clears the status line, shows the error and logs it as "Error <text>".
    void setError(const std::string& text);
    void clearError();

    std::string status() const;
    std::string error() const;

    // The status line is cleared once it has been shown for more than 24 one-second ticks.
    void onStatusClockTick(int statusClock);

private:
    void repaint() const;

    mutable std::recursive_mutex mutex_;
    std::string status_;
    std::string error_;
    int statusSetAt_ = 0;
    int statusClock_ = 0;
    std::function<void()> repaintHook_;
};

StatusBoard& gf_status();

} // namespace vorl
