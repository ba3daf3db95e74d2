#pragma once
// The window of either front-end with the program's own commands, before any run of the
// program exists: what the controls do to the settings and the status line. What they do to a
// run is checked on the whole program.
#include <memory>

#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/Parameters.h"
#include "app/RunControl.h"
#include "app/RunSlot.h"
#include "app/StatusBoard.h"
#include "app/WindowCommands.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"

namespace vorl::test {

template <typename MainWindowType> struct WindowFixture : ::testing::Test {
    TempFolder dir;
    RunSlot noRun;
    WindowCommands commands{gf_params(), gf_status(), gf_run(), gf_paths(), noRun};
    std::unique_ptr<MainWindowType> window;

    // Fresh settings, run state and status, with the log in the test's folder.
    void freshProgramState() {
        Log::instance().open(dir / "Log.txt");
        gf_params().setFile(dir / "parameters.xml");
        gf_params().readAll();
        gf_run().resetAll();
        gf_status().clearError();
        gf_status().clearStatus();
    }
    void SetUp() override {
        freshProgramState();
        window = std::make_unique<MainWindowType>(commands);
        gf_params().setControlHook([this](const Parameter& p) { window->syncControl(p.key()); });
        window->show();
    }
    void TearDown() override {
        gf_params().setControlHook({});
        window.reset();
        Log::instance().close();
    }
};

} // namespace vorl::test
