#include "app/StatusBoard.h"

#include "common/Log.h"

namespace vorl {

void StatusBoard::setRepaintHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    repaintHook_ = std::move(hook);
}

void StatusBoard::setStatus(const std::string& text, bool log) {
    // An error on screen hides new status texts, but the log keeps what happened.
    if (log) logLine(text);
    {
        std::lock_guard lock(mutex_);
        if (!error_.empty()) return;
        status_ = text;
        statusSetAt_ = statusClock_;
    }
    repaint();
}

void StatusBoard::clearStatus() {
    {
        std::lock_guard lock(mutex_);
        status_.clear();
    }
    repaint();
}

void StatusBoard::setError(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        status_.clear();
        error_ = text;
    }
    logLine("Error {}", text);
    repaint();
}

void StatusBoard::clearError() {
    {
        std::lock_guard lock(mutex_);
        error_.clear();
    }
    repaint();
}

std::string StatusBoard::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::string StatusBoard::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void StatusBoard::onStatusClockTick(int statusClock) {
    bool cleared = false;
    {
        std::lock_guard lock(mutex_);
        statusClock_ = statusClock;
        if (!status_.empty() && statusClock_ > statusSetAt_ + 24) {
            status_.clear();
            cleared = true;
        }
    }
    if (cleared) repaint();
}

void StatusBoard::repaint() const {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        hook = repaintHook_;
    }
    if (hook) hook();
}

StatusBoard& gf_status() {
    static StatusBoard board;
    return board;
}

} // namespace vorl
