#include "app/HeadlessFrontEnd.h"

#include <iostream>

#include <fmt/format.h>

#include "app/Lifecycle.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/TimeStamp.h"
#include "common/platform.h"

namespace vorl {

HeadlessFrontEnd::HeadlessFrontEnd(std::optional<int> durationSeconds)
    : durationSeconds_(durationSeconds), started_(std::chrono::steady_clock::now()) {
    gf_installInterruptHandler();
}

void HeadlessFrontEnd::post(Event event) {
    {
        std::lock_guard lock(mutex_);
        // Repaints merge: one pending is enough.
        if (event == Event::Repaint && !events_.empty() && events_.back() == Event::Repaint) return;
        events_.push_back(event);
    }
    wake_.notify_one();
}

void HeadlessFrontEnd::postStart() { post(Event::Start); }
void HeadlessFrontEnd::postSaveAndQuit() { post(Event::SaveAndQuit); }
void HeadlessFrontEnd::postRepaint() { post(Event::Repaint); }

void HeadlessFrontEnd::showFigures(const StatusFigures& figures) {
    std::lock_guard lock(mutex_);
    figures_ = figures;
}

std::vector<DisplayLine> HeadlessFrontEnd::displayLines() const {
    std::lock_guard lock(mutex_);
    return gf_displayLines(figures_, gf_status().status(), gf_status().error());
}

void HeadlessFrontEnd::showWarning(const std::string& text) { std::cerr << kProgramName << ": " << text << std::endl; }

void HeadlessFrontEnd::printChangedTexts() {
    const std::string status = gf_status().status();
    const std::string error = gf_status().error();
    if (status != shownStatus_) {
        shownStatus_ = status;
        if (!status.empty()) std::cout << status << std::endl;
    }
    if (error != shownError_) {
        shownError_ = error;
        if (!error.empty()) std::cerr << "Error: " << error << std::endl;
    }
}

void HeadlessFrontEnd::checkCloseRequests() {
    if (!interrupted_ && gf_interruptRequested()) {
        interrupted_ = true;
        gf_status().setStatus(fmt::format("Interrupted, closing {} ...", kProgramName), true);
        gf_run().setWindowClosed();
        gf_run().requestStop(ClosingReason::UserClosedSim, 0);
    }
    if (!durationOver_ && durationSeconds_ &&
        std::chrono::steady_clock::now() - started_ >= std::chrono::seconds(*durationSeconds_)) {
        durationOver_ = true;
        logLine("Run time of {} seconds is over", *durationSeconds_);
        gf_run().setWindowClosed();
        gf_run().requestStop(ClosingReason::UserClosedSim, 0);
    }
}

int HeadlessFrontEnd::runMessageLoop() {
    for (;;) {
        std::optional<Event> event;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return !events_.empty(); });
            if (!events_.empty()) {
                event = events_.front();
                events_.pop_front();
            }
        }
        checkCloseRequests();
        if (!event) continue;
        switch (*event) {
        case Event::Start: gf_launchStartUpThread(); break;
        case Event::Repaint: printChangedTexts(); break;
        case Event::SaveAndQuit:
            printChangedTexts();
            logLine(gf_nowText());
            return gf_run().exitCode();
        }
    }
}

} // namespace vorl
