#include "app/Lifecycle.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include <fmt/format.h>

#include "airports/AirportDatabase.h"
#include "app/AppPaths.h"
#include "app/DataFiles.h"
#include "app/FrontEnd.h"
#include "app/LiveryStartUp.h"
#include "app/Parameters.h"
#include "app/ProgramContext.h"
#include "app/ProgramRun.h"
#include "app/RunControl.h"
#include "app/RunLoops.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/TimeShift.h"
#include "app/UserPosition.h"
#include "models/ModelDatabase.h"
#include "sim/SimOutbox.h"
#include "common/Folders.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/UserErrorException.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr int kHoldingSeconds = 2;

std::jthread g_startUpThread;

void lf_sleepSeconds(int seconds) { std::this_thread::sleep_for(std::chrono::seconds(seconds)); }

// Stop requested or window closed: the start-up goes no further.
bool lf_mustStop() {
    if (!gf_run().stopOrClosed()) return false;
    gf_run().requestStop(ClosingReason::UserClosedSim, 0);
    return true;
}

void lf_productionSwitch() {
    if (!gf_run().production()) return;
    try {
        logLine("production");
        gf_run().setExitCode(0);
    } catch (const std::exception& e) {
        logImportant("exception {}", e.what());
        gf_run().setExitCode(1);
    }
    gf_run().setWindowClosed();
    gf_run().requestStop(ClosingReason::UserClosedSim, 0);
}

void lf_removeDecryptedReferenceFiles() {
    for (const char* name : {"airports.xml", "AIG-regcodes.xml", "dbase.xml"}) {
        const fs::path file = gf_paths().input / name;
        std::error_code ec;
        if (fs::exists(file, ec) && !fs::remove(file, ec))
            logImportant("Warning: could not remove {}, errorcode: {}", file.string(), ec.value());
    }
}

// The RealTraffic API must not be visited again within two seconds of the last session.
void lf_holdForRealTraffic() {
    const auto now = static_cast<long long>(std::time(nullptr));
    long long elapsed = now - gf_params().LAST_EPOCH_TIME.value();
    if (elapsed < 0) elapsed = 0;
    if (elapsed >= kHoldingSeconds) return;
    const int wait = static_cast<int>(kHoldingSeconds - elapsed);
    gf_status().setStatus(fmt::format("Holding for {} seconds... (RT API cannot be revisited within {} seconds)",
                                      wait, kHoldingSeconds),
                          true);
    for (int i = 0; i < wait && !gf_run().stopOrClosed(); ++i) lf_sleepSeconds(1);
}

std::unique_ptr<ProgramRun> lf_buildRun() {
    ProgramContext& program = gf_program();
    ProgramServices services{gf_params(),
                             gf_run(),
                             gf_status(),
                             *program.frontEnd,
                             gf_paths(),
                             program.options,
                             gf_modelDatabase(),
                             gf_airportDatabase(),
                             gf_liveryCatalogue(),
                             gf_simOutbox(),
                             program.hardwareThreads.load()};
    return std::make_unique<ProgramRun>(services);
}

// The start-up steps up to the running session; returns when closing down is due. The run is
// built as soon as the reference data it works with is read.
void lf_startUpSteps(std::unique_ptr<ProgramRun>& run) {
    if (!fs::is_directory(gf_paths().docs))
        throw UserErrorException(99, fmt::format("{} must be run from the {} folder!", kProgramName, kProgramName));

    if (!gf_readDataFiles()) throw UserErrorException(99, "reading data files failed!");
    lf_productionSwitch();
    lf_removeDecryptedReferenceFiles();

    const unsigned threads = std::thread::hardware_concurrency();
    gf_program().hardwareThreads.store(threads == 0 ? 2 : threads);
    gf_liveryStartUp();
    if (lf_mustStop()) return;

    run = lf_buildRun();
    gf_program().runSlot.attach(*run);
    run->publishFigures();
    lf_holdForRealTraffic();
    if (lf_mustStop()) return;

    run->countAddonAirportFolders();
    if (lf_mustStop()) return;

    std::error_code ec;
    fs::create_directories(gf_paths().flightPlanFolder, ec);
    if (ec) logImportant("Failed to create directory: {}", ec.message());

    // The commands need the data read above; they stay disabled until here.
    run->enableCommands();
    run->reapplyDestination();
    gf_program().frontEnd->setTopMost(gf_params().ALWAYS_ON_TOP.value());

    if (!run->sessionSetUp()) {
        gf_run().setWindowClosed();
        gf_run().requestStop(ClosingReason::UserClosedSim, 0);
        return;
    }
    // A RealTraffic failure during the set-up has requested its own stop, with the restart it is
    // worth: closing down follows at once.
    if (!gf_run().stopRequested()) run->mainLoop();
}

void lf_clearAndSave(TextParameter& parameter) {
    parameter.set({});
    gf_params().save(parameter);
    gf_params().updateControl(parameter);
}

void lf_resetTimeSettings() {
    Parameters& p = gf_params();
    const auto zeroAndSave = [&](IntParameter& shift) {
        shift.set(0);
        p.save(shift);
        p.updateControl(shift);
    };
    if (!p.KEEP_SIM_TIME_PAR.value()) {
        p.SIM_TIME.set(false);
        p.save(p.SIM_TIME);
        p.updateControl(p.SIM_TIME);
    }
    if (!p.KEEP_SIM_TIME_PAR.value() || p.SIM_TIME.value()) {
        zeroAndSave(p.TIME_SHIFT_DAYS);
        zeroAndSave(p.TIME_SHIFT_HOURS);
        zeroAndSave(p.TIME_SHIFT_MINS);
    }
}

// Everything a start-up builds is forgotten before the next one; settings and window stay.
void lf_resetRunTimeState() {
    gf_status().clearError();
    gf_status().clearStatus();
    gf_setTimeShift(0, true);
    gf_status().clearStatus();
    gf_forgetUserPosition();
    gf_program().frontEnd->showFigures(StatusFigures{});
    gf_program().frontEnd->refreshControls();
    gf_run().resetForRestart();
    gf_program().restarted.store(true);
}

void lf_closingDown(std::unique_ptr<ProgramRun>& program) {
    RunControl& run = gf_run();
    ClosingReason reason = run.reason();
    int restartDelay = run.restartDelay();
    logLine("Exiting: {}", gf_closingReasonText(reason));
    gf_setSimulatorRunning(false);
    if (program) {
        program->stopSimulatorLink();
        program->stopReaders();
    }

    if (reason == ClosingReason::SystemError) {
        // The error stays on screen until the user closes the window; a console has nobody
        // to wait for, and its exit code tells the failure instead.
        if (!gf_program().frontEnd->hasWindow()) {
            run.setWindowClosed();
            run.setExitCode(1);
        }
        while (!run.windowClosed() && run.recoveryDelay() < 0) std::this_thread::sleep_for(std::chrono::milliseconds(500));
        if (run.recoveryDelay() >= 0 && !run.windowClosed()) {
            reason = ClosingReason::NewSettings;
            restartDelay = run.recoveryDelay();
        } else {
            gf_status().setStatus(fmt::format("User closed {}", kProgramName), true);
        }
    }

    std::error_code ec;
    fs::remove_all(gf_paths().flightPlanFolder, ec);
    if (ec) logLine("gf_removeFlightPlanFolder: {}", ec.message());

    Parameters& p = gf_params();
    lf_clearAndSave(p.DESTINATION);
    lf_clearAndSave(p.BLOCK_CALLSIGN);
    lf_resetTimeSettings();
    if (program) program->writeSummaries();
    gf_program().runSlot.detach();
    program.reset();
    gf_program().frontEnd->refreshControls();

    if (gf_isRestartReason(reason) && !run.windowClosed()) {
        run.setRestartPending(true);
        gf_status().clearError();
        gf_status().clearStatus();
        gf_status().setStatus("Prepare for a restart ...", true);
        if (reason != ClosingReason::NewSettings) {
            // A restart after a failure must not repeat a long scan.
            p.SCAN_LIVERIES.set(false);
            p.save(p.SCAN_LIVERIES);
            p.updateControl(p.SCAN_LIVERIES);
            p.SCAN_AIRPORTS.set(false);
            p.save(p.SCAN_AIRPORTS);
            p.updateControl(p.SCAN_AIRPORTS);
        }
        gf_restartCountdown(restartDelay);
        lf_resetRunTimeState();
        gf_program().frontEnd->postStart();
        return;
    }

    run.setRestartPending(false);
    if (reason == ClosingReason::NewFlight) {
        gf_status().setStatus(
            fmt::format("New flight detected, {} will close, please restart manually ...", kProgramName), true);
        lf_sleepSeconds(10);
    }
    gf_program().frontEnd->postSaveAndQuit();
}

void lf_startUpVORL() {
    std::unique_ptr<ProgramRun> run;
    try {
        lf_startUpSteps(run);
    } catch (const UserErrorException& e) {
        gf_status().setError(e.what());
        gf_run().requestStop(ClosingReason::SystemError, 0);
    } catch (const fmt::format_error& e) {
        gf_status().setError(std::string("std::format error: ") + e.what());
        gf_run().requestStop(ClosingReason::SystemError, 0);
    } catch (const std::exception& e) {
        gf_status().setError(e.what());
        gf_run().requestStop(ClosingReason::SystemError, 0);
    } catch (...) {
        gf_status().setError("Unknown exception");
        gf_run().requestStop(ClosingReason::SystemError, 0);
    }
    try {
        lf_closingDown(run);
    } catch (const std::exception& e) {
        logImportant("lf_closingDown exception: {}", e.what());
        gf_program().runSlot.detach();
        gf_program().frontEnd->postSaveAndQuit();
    }
}

} // namespace

void gf_restartCountdown(int seconds) {
    if (seconds <= 0) return;
    logLine("Restarting after {} seconds", seconds);
    logLine(std::string(48, '-'));
    for (int k = seconds; k >= 1; --k) {
        gf_status().setStatus(fmt::format("Restarting after {} second{}", k, k == 1 ? "" : "s"), false);
        lf_sleepSeconds(1);
    }
    logLine("Restart countdown finished");
}

void gf_launchStartUpThread() {
    if (g_startUpThread.joinable()) {
        g_startUpThread.request_stop();
        g_startUpThread.join();
    }
    g_startUpThread = std::jthread([] { lf_startUpVORL(); });
}

void gf_joinStartUpThread() {
    if (g_startUpThread.joinable()) g_startUpThread.join();
}

} // namespace vorl
