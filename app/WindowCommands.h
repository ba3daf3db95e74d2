#pragma once
#include <string>

#include "app/Commands.h"

namespace vorl {

class Parameters;
class Parameter;
class BoolParameter;
class RunControl;
class RunSlot;
class StatusBoard;
struct AppPaths;

// The window's commands: each control changes its setting, says what it did on the status
// line, and asks the running program for the effect the control stands for. Failures are
// logged and the window keeps running.
class WindowCommands final : public Commands {
public:
    WindowCommands(Parameters& params, StatusBoard& status, RunControl& run, const AppPaths& paths, RunSlot& program);

    CommandEffect checkBoxClicked(int controlId) override;
    CommandEffect listSelected(int controlId, int index) override;
    CommandEffect buttonClicked(int controlId) override;
    CommandEffect editEntered(int controlId, const std::string& text) override;
    bool controlEnabled(int controlId) const override;
    void windowClosing() override;

private:
    void store(Parameter& p);
    void say(const std::string& text, bool log = false);
    void checkBoxAction(BoolParameter& p, CommandEffect& effect);
    void listAction(Parameter& p, const std::string& previousText);
    void scanSwitched(bool on, const char* what);
    void timeShiftFromSettings();
    void blockEntered(const std::string& text);
    void destinationEntered(const std::string& text);
    void installPathEntered(const std::string& text);
    void buttonAction(int controlId, CommandEffect& effect);

    Parameters& params_;
    StatusBoard& status_;
    RunControl& run_;
    const AppPaths& paths_;
    RunSlot& program_;
};

// A valid callsign: 2 to 8 ASCII letters and digits.
bool gf_isValidCallsign(const std::string& text);

} // namespace vorl
