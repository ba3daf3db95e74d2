#include "app/WindowCommands.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "app/AppPaths.h"
#include "app/InstallDetection.h"
#include "app/Parameters.h"
#include "app/RunControl.h"
#include "app/RunSlot.h"
#include "app/StatusBoard.h"
#include "app/TimeShift.h"
#include "app/WindowLayout.h"
#include "common/FixedCode.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/platform.h"
#include "rt/TrafficHooks.h"

namespace vorl {
namespace {

constexpr int kRestartDelayForScans = 2;
constexpr int kRestartDelayForSimulator = 3;
constexpr int kStaticParkingPeriodMinutes = 20;

template <typename Handler> CommandEffect lf_guarded(Handler handler) {
    try {
        return handler();
    } catch (const std::exception& e) {
        logImportant("{} exception {}", "lf_HandleWMCOMMAND", e.what());
        return {.handled = true};
    }
}

} // namespace

bool gf_isValidCallsign(const std::string& text) {
    if (text.size() < 2 || text.size() > 8) return false;
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isalnum(c) != 0 && c < 0x80; });
}

WindowCommands::WindowCommands(Parameters& params, StatusBoard& status, RunControl& run, const AppPaths& paths,
                               RunSlot& program)
    : params_(params), status_(status), run_(run), paths_(paths), program_(program) {}

void WindowCommands::say(const std::string& text, bool log) { status_.setStatus(text, log); }

void WindowCommands::store(Parameter& p) {
    params_.save(p);
    params_.updateControl(p);
}

// Switching a scan on before the simulator link is up restarts at once so that it runs now;
// later it waits for the next start.
void WindowCommands::scanSwitched(bool on, const char* what) {
    if (!on) return;
    if (program_.ask([](const RunActions& r) { return r.simulatorConnected(); }, false)) {
        say(fmt::format("Your {} will be scanned at the next start of {}", what, kProgramName));
    } else {
        say(fmt::format("Your {} will be scanned", what), true);
        run_.requestStop(ClosingReason::NewSettings, kRestartDelayForScans);
    }
}

void WindowCommands::checkBoxAction(BoolParameter& p, CommandEffect& effect) {
    Parameters& params = params_;
    const bool on = p.value();
    if (&p == &params.LIG_AUTOMATIC) {
        if (!on) say("The liveries defined by your lfolder parameters will be scanned");
        else status_.clearStatus();
    } else if (&p == &params.LIG_PRIORITIZE) {
        if (on) say("Liveries, for airl+model, in lower lfolders that are already available will be skipped");
    } else if (&p == &params.COLLISION_LIVE_PARKED_GND) {
        if (!on) say("Be aware, live aircraft may collide with (run through) static parked on the ground");
    } else if (&p == &params.COLLISION_USER_GND) {
        if (!on)
            say("Be aware, user aircraft may collide with (run through) live aircraft and static parked on the ground");
    } else if (&p == &params.COLLISION_USER_AIR) {
        if (!on) say("Be aware, user aircraft may collide with (run through) live aircraft in the air");
    } else if (&p == &params.INITIAL_LOAD_ONLY) {
        if (on)
            say(fmt::format("Initial Load Only: static parked aircraft are generated once, no renewal every {} minutes",
                            kStaticParkingPeriodMinutes));
        else status_.clearStatus();
    } else if (&p == &params.RT_PARKTRAFFIC_ONLY) {
        program_.with([](RunActions& r) { r.replanParkingSource(); });
    } else if (&p == &params.ALWAYS_ON_TOP) {
        if (on) say(fmt::format("{}'s window will remain visible", kProgramName));
        effect.topMost = on;
    } else if (&p == &params.GUID_CHANGES) {
        if (!on) say("Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!");
    } else if (&p == &params.SIM_TIME) {
        program_.with([on](RunActions& r) { r.simTime(on); });
    } else if (&p == &params.AUTO_RANGE) {
        program_.with([](RunActions& r) { r.recomputeRange(); });
    } else if (&p == &params.SCAN_LIVERIES) {
        scanSwitched(on, "liveries");
    } else if (&p == &params.SCAN_AIRPORTS) {
        scanSwitched(on, "airports");
    } else if (&p == &params.NAV_LIGHTS_WHILE_PARKED) {
        program_.with([on](RunActions& r) { r.navLightsWhileParked(on); });
    } else if (&p == &params.OBJECTID_LIST) {
        if (on)
            say(fmt::format("Every minute info about all active live aircraft is written to the file {}",
                            (paths_.outputInfo / "ObjectIdList.txt").string()));
    } else if (&p == &params.AIRBORNE_ONLY) {
        if (on)
            say(fmt::format("Be aware, airborne live traffic only!  (greater than {:.0f} ft above ground ...)",
                            kAirborneOnlyHeightFt));
    }
}

void WindowCommands::timeShiftFromSettings() {
    const Parameters& p = params_;
    gf_setTimeShift((p.TIME_SHIFT_HOURS.value() + p.TIME_SHIFT_DAYS.value() * 24) * 60 + p.TIME_SHIFT_MINS.value(),
                    false);
    program_.with([](RunActions& r) { r.timeShifted(); });
}

void WindowCommands::listAction(Parameter& p, const std::string& previousText) {
    Parameters& params = params_;
    if (&p == &params.TIME_SHIFT_DAYS || &p == &params.TIME_SHIFT_HOURS || &p == &params.TIME_SHIFT_MINS) {
        timeShiftFromSettings();
    } else if (&p == &params.MAX_LIVE_SEL) {
        program_.with([max = params.MAX_LIVE_SEL.value()](RunActions& r) { r.removeSurplusLive(max); });
    } else if (&p == &params.MAX_FIT_FL) {
        params.MAX_FIT.set(static_cast<int>(std::lround(params.MAX_FIT_FL.value() * 2.0f)));
        params.save(params.MAX_FIT);
    } else if (&p == &params.RANGE) {
        program_.with([metres = params.RANGE.value() * 1852 + 10000](RunActions& r) { r.setQueryRadius(metres); });
    } else if (&p == &params.AI_PACKAGE_SELECTOR) {
        say("If you want to make this choice effective, you must start a Scan for liveries");
    } else if (&p == &params.SIM_CHOICE) {
        if (params.SIM_CHOICE.value() == previousText) return;
        say(fmt::format("Switching MSFS version in {}", kProgramName), true);
        run_.requestStop(ClosingReason::NewSettings, kRestartDelayForSimulator);
    }
}

void WindowCommands::blockEntered(const std::string& text) {
    if (!gf_isValidCallsign(text)) return say(fmt::format("callsign '{}' is not valid", text));
    if (text == params_.BLOCK_CALLSIGN.value()) return say(fmt::format("callsign '{}' was already set ...", text));
    params_.BLOCK_CALLSIGN.set(text);
    store(params_.BLOCK_CALLSIGN);
    program_.with([&text](RunActions& r) { r.blockCallsign(text); });
}

void WindowCommands::destinationEntered(const std::string& text) {
    if (text.empty()) {
        params_.DESTINATION.set({});
        store(params_.DESTINATION);
        return say("destination set to empty");
    }
    if (!IcaoCode::isValid(text)) return say(fmt::format("destination '{}' is not valid", text));
    const std::string code = IcaoCode(text).str();
    if (!program_.ask([&code](const RunActions& r) { return r.airportKnown(code); }, false))
        return say(fmt::format("destination '{}' is unknown ...", code));
    if (code == params_.DESTINATION.value()) return say(fmt::format("destination '{}' was already set ...", code));
    params_.DESTINATION.set(code);
    store(params_.DESTINATION);
    say(fmt::format("New destination: {}", code), true);
    program_.with([&code](RunActions& r) { r.applyDestination(code); });
}

void WindowCommands::installPathEntered(const std::string& text) {
    status_.clearError();
    const auto result = gf_applyTypedInstallPath(params_, SimulatorFolders::ofThisUser(params_.isMsfs2020()), text);
    if (!result.status.empty()) say(result.status, true);
    if (!result.accepted) return;
    if (!run_.requestStop(ClosingReason::NewSettings, kRestartDelayForSimulator) &&
        run_.reason() == ClosingReason::SystemError)
        run_.requestRecoveryRestart(kRestartDelayForSimulator);
}

void WindowCommands::buttonAction(int controlId, CommandEffect& effect) {
    switch (controlId) {
    case control::kUnblock: {
        const std::string blocked = params_.BLOCK_CALLSIGN.value();
        if (blocked.empty()) return say("Nothing to block or unblock...");
        params_.BLOCK_CALLSIGN.set({});
        store(params_.BLOCK_CALLSIGN);
        program_.with([&blocked](RunActions& r) { r.unblockCallsign(blocked); });
        return say(fmt::format("no more blocking of live aircraft '{}'", blocked));
    }
    case control::kCallsignToObjectId: program_.with([](RunActions& r) { r.requestCallsignLookup(); }); return;
    case control::kBlock: {
        const std::string chosen = params_.CALLSIGN_2_OBJECTID.value();
        if (chosen.empty()) return say("Nothing to block or unblock...");
        params_.BLOCK_CALLSIGN.set(chosen);
        store(params_.BLOCK_CALLSIGN);
        program_.with([&chosen](RunActions& r) { r.blockCallsign(chosen); });
        return;
    }
    case control::kReRead: program_.with([](RunActions& r) { r.requestReRead(); }); return;
    case control::kFlushStatic:
        say("All static parked aircraft will be removed ...");
        program_.with([](RunActions& r) { r.requestFlushStatic(); });
        return;
    case control::kTbloZip:
        if (!gf_showInFileManager(std::filesystem::absolute(paths_.tblo) / "tblo.zip"))
            effect.warning = "Could not open File Explorer at tblo.zip.";
        return;
    case control::kNow:
        if (!params_.INITIAL_LOAD_ONLY.value() && program_.ask([](const RunActions& r) { return r.aiObjectsExist(); }, false))
            program_.with([](RunActions& r) { r.requestStaticUpdateNow(); });
        else status_.clearStatus();
        return;
    default: effect.handled = false;
    }
}

CommandEffect WindowCommands::checkBoxClicked(int controlId) {
    return lf_guarded([&] {
        CommandEffect effect;
        const ControlSpec* spec = gf_controlById(controlId);
        if (!spec || spec->kind != ControlKind::CheckBox) return effect;
        auto* p = dynamic_cast<BoolParameter*>(params_.find(spec->settingKey));
        if (!p) return effect;
        p->set(!p->value());
        store(*p);
        effect.handled = true;
        checkBoxAction(*p, effect);
        return effect;
    });
}

CommandEffect WindowCommands::listSelected(int controlId, int index) {
    return lf_guarded([&] {
        CommandEffect effect;
        const ControlSpec* spec = gf_controlById(controlId);
        if (!spec || spec->kind != ControlKind::DropDownList || index < 0) return effect;
        Parameter* p = params_.find(spec->settingKey);
        const std::string previous = p ? p->valueText() : std::string();
        const auto at = static_cast<std::size_t>(index);
        if (auto* i = dynamic_cast<IntChoiceParameter*>(p)) {
            if (at >= i->choices().size()) return effect;
            i->set(i->choices()[at]);
        } else if (auto* f = dynamic_cast<FloatChoiceParameter*>(p)) {
            if (at >= f->choices().size()) return effect;
            f->set(f->choices()[at]);
        } else if (auto* t = dynamic_cast<TextChoiceParameter*>(p)) {
            const auto choices = t->choices();
            if (at >= choices.size()) return effect;
            t->set(choices[at]);
        } else {
            return effect;
        }
        store(*p);
        effect.handled = true;
        listAction(*p, previous);
        return effect;
    });
}

CommandEffect WindowCommands::buttonClicked(int controlId) {
    return lf_guarded([&] {
        CommandEffect effect{.handled = true};
        buttonAction(controlId, effect);
        return effect;
    });
}

CommandEffect WindowCommands::editEntered(int controlId, const std::string& text) {
    return lf_guarded([&] {
        CommandEffect effect{.handled = true};
        if (controlId == control::kBlockCallsign) blockEntered(text);
        else if (controlId == control::kDestination) destinationEntered(text);
        else if (controlId == control::kInstallPath) installPathEntered(text);
        else effect.handled = false;
        return effect;
    });
}

bool WindowCommands::controlEnabled(int controlId) const {
    // Without an install path nothing starts, so it can always be typed.
    if (controlId == control::kInstallPath) return true;
    if (controlId == control::kPackageSelector) return !params_.SCAN_LIVERIES.value();
    if (controlId == control::kParkingPercentage) return false; // the share of stands is fixed, see the settings store
    if (controlId == control::kScanAirports) return program_.ask([](const RunActions& r) { return r.airportScanReady(); }, false);
    const ControlSpec* spec = gf_controlById(controlId);
    const bool command = spec && (spec->kind == ControlKind::PushButton || spec->kind == ControlKind::EditBox);
    if (!command) return true;
    if (!program_.ask([](const RunActions& r) { return r.commandsReady(); }, false)) return false;
    if (controlId == control::kNow) return !params_.INITIAL_LOAD_ONLY.value();
    if (controlId == control::kReRead || controlId == control::kDestination)
        return !program_.ask([](const RunActions& r) { return r.reReadPending(); }, false);
    return true;
}

void WindowCommands::windowClosing() {
    say(fmt::format("Close window button clicked, closing {} ...", kProgramName), true);
    run_.setWindowClosed();
    run_.requestStop(ClosingReason::UserClosedSim, 0);
}

} // namespace vorl
