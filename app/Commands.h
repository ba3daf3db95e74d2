#pragma once
#include <optional>
#include <string>

namespace vorl {

// What a front-end does after a command, on its own thread: the core never reaches into the
// window, it says what the window should do.
struct CommandEffect {
    bool handled = false;
    // The window becomes top-most (true) or not (false).
    std::optional<bool> topMost;
    // A warning the user must acknowledge.
    std::string warning;
};

// The window's way into the core: one entry per kind of control, each taking the control's id.
// Both front-ends call only this; after each command they re-read every control's enabled
// state and repaint.
class Commands {
public:
    virtual ~Commands() = default;

    virtual CommandEffect checkBoxClicked(int controlId) = 0;
    virtual CommandEffect listSelected(int controlId, int index) = 0;
    virtual CommandEffect buttonClicked(int controlId) = 0;
    // An edit box's text, applied with Enter.
    virtual CommandEffect editEntered(int controlId, const std::string& text) = 0;
    // Whether a control may be used now.
    virtual bool controlEnabled(int controlId) const = 0;
    // The user closes the window.
    virtual void windowClosing() = 0;
};

} // namespace vorl
