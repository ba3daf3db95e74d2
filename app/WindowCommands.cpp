#include "app/WindowCommands.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "app/AppPaths.h"
#include "app/FrontEnd.h"
#include "app/InstallDetection.h"
#include "app/Parameters.h"
#include "app/ProgramContext.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/TimeShift.h"
#include "app/WindowLayout.h"
#include "common/FixedCode.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/platform.h"

namespace vorl {
namespace {

constexpr int kRestartDelayForScans = 2;
constexpr int kRestartDelayForSimulator = 3;
constexpr int kStaticParkingPeriodMinutes = 20;

void lf_status(const std::string& text, bool log = false) { gf_status().setStatus(text, log); }

void lf_store(Parameter& p) {
    gf_params().save(p);
    gf_params().updateControl(p);
}

// Switching a scan on before the simulator link is up restarts at once so that it runs now.
void lf_scanSwitched(bool on, const char* what) {
    if (!on) return;
    if (gf_commandHooks().simulatorConnected()) {
        lf_status(fmt::format("Your {} will be scanned at the next start of {}", what, kProgramName));
    } else {
        lf_status(fmt::format("Your {} will be scanned", what), true);
        gf_run().requestStop(ClosingReason::NewSettings, kRestartDelayForScans);
    }
}

void lf_checkBoxAction(BoolParameter& p) {
    Parameters& params = gf_params();
    const bool on = p.value();
    WindowCommandHooks& hooks = gf_commandHooks();
    if (&p == &params.LIG_AUTOMATIC) {
        if (!on) lf_status("The liveries defined by your lfolder parameters will be scanned");
        else gf_status().clearStatus();
    } else if (&p == &params.LIG_PRIORITIZE) {
        if (on) lf_status("Liveries, for airl+model, in lower lfolders that are already available will be skipped");
    } else if (&p == &params.COLLISION_LIVE_PARKED_GND) {
        if (!on) lf_status("Be aware, live aircraft may collide with (run through) static parked on the ground");
    } else if (&p == &params.COLLISION_USER_GND) {
        if (!on)
            lf_status("Be aware, user aircraft may collide with (run through) live aircraft and static parked on the "
                      "ground");
    } else if (&p == &params.COLLISION_USER_AIR) {
        if (!on) lf_status("Be aware, user aircraft may collide with (run through) live aircraft in the air");
    } else if (&p == &params.INITIAL_LOAD_ONLY) {
        if (on)
            lf_status(fmt::format("Initial Load Only: static parked aircraft are generated once, no renewal every {} "
                                  "minutes",
                                  kStaticParkingPeriodMinutes));
        else gf_status().clearStatus();
    } else if (&p == &params.RT_PARKTRAFFIC_ONLY) {
        hooks.replanParkingSource();
        if (gf_program().frontEnd) gf_program().frontEnd->postRepaint();
    } else if (&p == &params.ALWAYS_ON_TOP) {
        if (on) lf_status(fmt::format("{}'s window will remain visible", kProgramName));
        if (gf_program().frontEnd) gf_program().frontEnd->setTopMost(on);
    } else if (&p == &params.GUID_CHANGES) {
        if (!on) lf_status("Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!");
    } else if (&p == &params.SIM_TIME) {
        hooks.simTime(on);
    } else if (&p == &params.AUTO_RANGE) {
        hooks.recomputeRange();
    } else if (&p == &params.SCAN_LIVERIES) {
        lf_scanSwitched(on, "liveries");
    } else if (&p == &params.SCAN_AIRPORTS) {
        lf_scanSwitched(on, "airports");
    } else if (&p == &params.NAV_LIGHTS_WHILE_PARKED) {
        hooks.navLightsWhileParked(on);
    } else if (&p == &params.OBJECTID_LIST) {
        if (on)
            lf_status(fmt::format("Every minute info about all active live aircraft is written to the file {}",
                                  (gf_paths().outputInfo / "ObjectIdList.txt").string()));
    } else if (&p == &params.AIRBORNE_ONLY) {
        if (on)
            lf_status(fmt::format("Be aware, airborne live traffic only!  (greater than {:.0f} ft above ground ...)",
                                  hooks.airborneOnlyHeightFt()));
    }
}

void lf_timeShiftFromSettings() {
    const Parameters& p = gf_params();
    gf_setTimeShift((p.TIME_SHIFT_HOURS.value() + p.TIME_SHIFT_DAYS.value() * 24) * 60 + p.TIME_SHIFT_MINS.value(),
                    false);
}

void lf_listAction(Parameter& p, const std::string& previousText) {
    Parameters& params = gf_params();
    if (&p == &params.TIME_SHIFT_DAYS || &p == &params.TIME_SHIFT_HOURS || &p == &params.TIME_SHIFT_MINS) {
        lf_timeShiftFromSettings();
    } else if (&p == &params.MAX_LIVE_SEL) {
        gf_commandHooks().removeSurplusLive(params.MAX_LIVE_SEL.value());
    } else if (&p == &params.MAX_FIT_FL) {
        params.MAX_FIT.set(static_cast<int>(std::lround(params.MAX_FIT_FL.value() * 2.0f)));
        params.save(params.MAX_FIT);
    } else if (&p == &params.RANGE) {
        gf_commandHooks().setQueryRadius(params.RANGE.value() * 1852 + 10000);
    } else if (&p == &params.AI_PACKAGE_SELECTOR) {
        lf_status("If you want to make this choice effective, you must start a Scan for liveries");
    } else if (&p == &params.SIM_CHOICE) {
        if (params.SIM_CHOICE.value() == previousText) return;
        lf_status(fmt::format("Switching MSFS version in {}", kProgramName), true);
        gf_run().requestStop(ClosingReason::NewSettings, kRestartDelayForSimulator);
    }
}

template <typename Handler> bool lf_guarded(Handler handler) {
    try {
        return handler();
    } catch (const std::exception& e) {
        logImportant("{} exception {}", "lf_HandleWMCOMMAND", e.what());
        return true;
    }
}

void lf_blockEntered(const std::string& text) {
    Parameters& params = gf_params();
    if (!gf_isValidCallsign(text)) return lf_status(fmt::format("callsign '{}' is not valid", text));
    if (text == params.BLOCK_CALLSIGN.value()) return lf_status(fmt::format("callsign '{}' was already set ...", text));
    params.BLOCK_CALLSIGN.set(text);
    lf_store(params.BLOCK_CALLSIGN);
    gf_commandHooks().blockCallsign(text);
}

void lf_destinationEntered(const std::string& text) {
    Parameters& params = gf_params();
    if (text.empty()) {
        params.DESTINATION.set({});
        lf_store(params.DESTINATION);
        return lf_status("destination set to empty");
    }
    if (!IcaoCode::isValid(text)) return lf_status(fmt::format("destination '{}' is not valid", text));
    const std::string code = IcaoCode(text).str();
    if (!gf_commandHooks().airportKnown(code)) return lf_status(fmt::format("destination '{}' is unknown ...", code));
    if (code == params.DESTINATION.value()) return lf_status(fmt::format("destination '{}' was already set ...", code));
    params.DESTINATION.set(code);
    lf_store(params.DESTINATION);
    lf_status(fmt::format("New destination: {}", code), true);
    gf_commandHooks().applyDestination(code);
}

void lf_installPathEntered(const std::string& text) {
    Parameters& params = gf_params();
    gf_status().clearError();
    const auto result = gf_applyTypedInstallPath(params, SimulatorFolders::ofThisUser(params.isMsfs2020()), text);
    if (!result.status.empty()) lf_status(result.status, true);
    if (!result.accepted) return;
    if (!gf_run().requestStop(ClosingReason::NewSettings, kRestartDelayForSimulator) &&
        gf_run().reason() == ClosingReason::SystemError)
        gf_run().requestRecoveryRestart(kRestartDelayForSimulator);
}

} // namespace

WindowCommandHooks& gf_commandHooks() {
    static WindowCommandHooks hooks;
    return hooks;
}

WindowRequests& gf_windowRequests() {
    static WindowRequests requests;
    return requests;
}

bool gf_isValidCallsign(const std::string& text) {
    if (text.size() < 2 || text.size() > 8) return false;
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isalnum(c) != 0 && c < 0x80; });
}

bool gf_onCheckBoxClicked(int controlId) {
    return lf_guarded([&] {
        const ControlSpec* spec = gf_controlById(controlId);
        if (!spec || spec->kind != ControlKind::CheckBox) return false;
        auto* p = dynamic_cast<BoolParameter*>(gf_params().find(spec->settingKey));
        if (!p) return false;
        p->set(!p->value());
        lf_store(*p);
        lf_checkBoxAction(*p);
        return true;
    });
}

bool gf_onListSelected(int controlId, int index) {
    return lf_guarded([&] {
        const ControlSpec* spec = gf_controlById(controlId);
        if (!spec || spec->kind != ControlKind::DropDownList || index < 0) return false;
        Parameter* p = gf_params().find(spec->settingKey);
        const std::string previous = p ? p->valueText() : std::string();
        if (auto* i = dynamic_cast<IntChoiceParameter*>(p)) {
            if (static_cast<std::size_t>(index) >= i->choices().size()) return false;
            i->set(i->choices()[static_cast<std::size_t>(index)]);
        } else if (auto* f = dynamic_cast<FloatChoiceParameter*>(p)) {
            if (static_cast<std::size_t>(index) >= f->choices().size()) return false;
            f->set(f->choices()[static_cast<std::size_t>(index)]);
        } else if (auto* t = dynamic_cast<TextChoiceParameter*>(p)) {
            const auto choices = t->choices();
            if (static_cast<std::size_t>(index) >= choices.size()) return false;
            t->set(choices[static_cast<std::size_t>(index)]);
        } else {
            return false;
        }
        lf_store(*p);
        lf_listAction(*p, previous);
        return true;
    });
}

bool gf_onButtonClicked(int controlId) {
    return lf_guarded([&] {
        Parameters& params = gf_params();
        WindowRequests& requests = gf_windowRequests();
        switch (controlId) {
        case control::kUnblock: {
            const std::string blocked = params.BLOCK_CALLSIGN.value();
            if (blocked.empty()) {
                lf_status("Nothing to block or unblock...");
            } else {
                gf_commandHooks().unblockCallsign(blocked);
                params.BLOCK_CALLSIGN.set({});
                lf_store(params.BLOCK_CALLSIGN);
                lf_status(fmt::format("no more blocking of live aircraft '{}'", blocked));
            }
            return true;
        }
        case control::kCallsignToObjectId: requests.callsignToObjectId = true; return true;
        case control::kBlock: {
            const std::string chosen = params.CALLSIGN_2_OBJECTID.value();
            if (chosen.empty()) {
                lf_status("Nothing to block or unblock...");
                return true;
            }
            params.BLOCK_CALLSIGN.set(chosen);
            lf_store(params.BLOCK_CALLSIGN);
            gf_commandHooks().blockCallsign(chosen);
            return true;
        }
        case control::kReRead:
            requests.reReadStands = true;
            return true;
        case control::kFlushStatic:
            lf_status("All static parked aircraft will be removed ...");
            requests.flushStatic = true;
            return true;
        case control::kTbloZip:
            if (!gf_showInFileManager(std::filesystem::absolute(gf_paths().tblo) / "tblo.zip") && gf_program().frontEnd)
                gf_program().frontEnd->showWarning("Could not open File Explorer at tblo.zip.");
            return true;
        case control::kNow:
            if (gf_commandHooks().aiObjectsExist() && !params.INITIAL_LOAD_ONLY.value()) requests.staticUpdateNow = true;
            else gf_status().clearStatus();
            return true;
        default: return false;
        }
    });
}

bool gf_onEditEntered(int controlId, const std::string& text) {
    return lf_guarded([&] {
        if (controlId == 0x803c) lf_blockEntered(text);
        else if (controlId == 0x8047) lf_destinationEntered(text);
        else if (controlId == 0x8014) lf_installPathEntered(text);
        else return false;
        return true;
    });
}

bool gf_controlEnabled(int controlId) {
    const Parameters& p = gf_params();
    const WindowRequests& requests = gf_windowRequests();
    // Without an install path nothing starts, so it can always be typed.
    if (controlId == 0x8014) return true;
    if (controlId == 0x8016) return !p.SCAN_LIVERIES.value();
    if (controlId == 0x8052) return false; // the share of stands is fixed, see the settings store
    if (controlId == 0x8022) return requests.airportScanReady.load();
    const ControlSpec* spec = gf_controlById(controlId);
    const bool command = spec && (spec->kind == ControlKind::PushButton || spec->kind == ControlKind::EditBox);
    if (!command) return true;
    if (!requests.commandsReady.load()) return false;
    if (controlId == control::kNow) return !p.INITIAL_LOAD_ONLY.value();
    if (controlId == control::kReRead || controlId == 0x8047) return !requests.reReadStands.load();
    return true;
}

} // namespace vorl
