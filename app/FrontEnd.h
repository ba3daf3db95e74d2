#pragma once
#include <string>

namespace vorl {

class Parameter;
struct StatusFigures;

// What the program core asks of its window. The Qt window, the Win32 window and the console are
// front-ends behind this port; the core never knows which one runs. Every call may come from any
// thread: the front-end carries it out on its own.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // Start (or restart) the start-up thread, on the front-end's own thread.
    virtual void postStart() = 0;
    // Save the window position and end the message loop with the stored exit code.
    virtual void postSaveAndQuit() = 0;
    // The status line or the error text changed.
    virtual void postRepaint() = 0;
    // The latest figures of the status display; painted until the next ones come.
    virtual void showFigures(const StatusFigures& figures) = 0;

    // A bound control follows its setting (check mark, list selection, edit text).
    virtual void updateControl(const Parameter& parameter) = 0;
    // Every control takes the enabled state the commands give it now.
    virtual void refreshControls() = 0;
    virtual void setTopMost(bool topMost) = 0;
    // A warning the user must acknowledge, captioned with the program's name.
    virtual void showWarning(const std::string& text) = 0;

    // False when there is no window a user could look at and close: the core then does not
    // wait for the user after an error it has already shown.
    virtual bool hasWindow() const = 0;

    // Runs the front-end's message loop on the calling (main) thread until the program quits;
    // returns the exit code.
    virtual int runMessageLoop() = 0;
};

} // namespace vorl
