#pragma once
#include <functional>
#include <string>

namespace vorl {

// What the RealTraffic link needs from the rest of the program: the one stop request, the status
// line and error text, and the status display. Every member may be left empty.
struct RtHost {
    std::function<void(int reason, int restartDelaySeconds)> requestStop;
    std::function<bool()> stopRequested;
    std::function<void(const std::string& text, bool log)> setStatus;
    std::function<void()> clearStatus;
    std::function<void(const std::string& text)> showError;
    std::function<bool()> windowClosing;
    // The authenticated flag of the status display (the front-end repaints on change).
    std::function<void(bool authenticated)> setAuthenticated;
    // Status display state of a reader: 1 running, 2 (re)authenticating / waiting, 3 stopped.
    std::function<void(const char* readerName, int state)> setReaderState;
    // The QNH for the live side and the display; called whenever the weather reader stores one.
    std::function<void(int qnhHpa)> publishQnh;
};

// Closing reasons the link gives to the stop request.
inline constexpr int kReasonReaderError = 6;
inline constexpr int kReasonSystemError = 7;
inline constexpr int kReaderRestartDelaySeconds = 15;

} // namespace vorl
