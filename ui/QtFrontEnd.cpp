#include "ui/QtFrontEnd.h"

#include <cstdlib>
#include <utility>

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "app/Lifecycle.h"
#include "app/Parameters.h"
#include "app/StatusFigures.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/WindowPosition.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/TimeStamp.h"
#include "ui/MainWindow.h"

namespace vorl {

bool gf_windowAvailable() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return true;
    }
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

QtFrontEnd::QtFrontEnd(int& argc, char** argv, Commands& commands, std::optional<int> durationSeconds,
                       std::optional<std::filesystem::path> screenshot)
    : app_(std::make_unique<QApplication>(argc, argv)), window_(std::make_unique<MainWindow>(commands)),
      screenshot_(std::move(screenshot)) {
    if (durationSeconds) {
        QTimer::singleShot(*durationSeconds * 1000, window_.get(), [this, seconds = *durationSeconds] {
            logLine("Run time of {} seconds is over", seconds);
            // The picture shows the window at work, not after closing down has emptied it.
            if (screenshot_) saveScreenshot(*std::exchange(screenshot_, std::nullopt));
            gf_run().setWindowClosed();
            gf_run().requestStop(ClosingReason::UserClosedSim, 0);
        });
    }
    placeWindow();
    window_->show();
}

QtFrontEnd::~QtFrontEnd() {
    window_.reset();
    app_.reset();
}

void QtFrontEnd::onGuiThread(std::function<void()> call) {
    QMetaObject::invokeMethod(window_.get(), std::move(call), Qt::QueuedConnection);
}

void QtFrontEnd::postStart() {
    onGuiThread([] { gf_launchStartUpThread(); });
}

void QtFrontEnd::postSaveAndQuit() {
    onGuiThread([this] {
        window_->update();
        if (screenshot_) saveScreenshot(*screenshot_);
        saveWindowPosition();
        logLine(gf_nowText());
        app_->exit(gf_run().exitCode());
    });
}

void QtFrontEnd::postRepaint() {
    onGuiThread([this] { window_->update(); });
}

void QtFrontEnd::updateControl(const Parameter& parameter) {
    onGuiThread([this, key = parameter.key()] { window_->syncControl(key); });
}

void QtFrontEnd::showFigures(const StatusFigures& figures) {
    onGuiThread([this, figures] { window_->setFigures(figures); });
}

void QtFrontEnd::refreshControls() {
    onGuiThread([this] { window_->refreshEnabled(); });
}

void QtFrontEnd::setTopMost(bool topMost) {
    onGuiThread([this, topMost] { window_->setTopMost(topMost); });
}

void QtFrontEnd::showWarning(const std::string& text) {
    onGuiThread([this, text] { window_->showWarning(text); });
}

int QtFrontEnd::runMessageLoop() { return app_->exec(); }

bool QtFrontEnd::saveScreenshot(const std::filesystem::path& file) {
    const bool saved = window_->grab().save(QString::fromStdString(file.string()), "PNG");
    if (saved) logLine("Window picture saved to {}", file.string());
    else logImportant("Could not save the window picture to {}", file.string());
    return saved;
}

void QtFrontEnd::placeWindow() {
    Parameters& p = gf_params();
    const QScreen* screen = QGuiApplication::screenAt(QPoint(p.MAIN_WINDOW_X.value(), p.MAIN_WINDOW_Y.value()));
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    const WindowCorner corner = gf_checkWindowPosition({p.MAIN_WINDOW_X.value(), p.MAIN_WINDOW_Y.value()},
                                                       window_->width(), window_->height(),
                                                       {area.left(), area.top(), area.width(), area.height()},
                                                       p.MAIN_WINDOW_X.lower(), p.MAIN_WINDOW_X.upper());
    if (corner.x != p.MAIN_WINDOW_X.value() || corner.y != p.MAIN_WINDOW_Y.value()) {
        p.MAIN_WINDOW_X.set(corner.x);
        p.MAIN_WINDOW_Y.set(corner.y);
        p.save(p.MAIN_WINDOW_X);
        p.save(p.MAIN_WINDOW_Y);
    }
    window_->move(corner.x, corner.y);
}

void QtFrontEnd::saveWindowPosition() {
    Parameters& p = gf_params();
    const QRect frame = window_->isMinimized() || window_->isMaximized() ? window_->normalGeometry()
                                                                          : window_->frameGeometry();
    p.MAIN_WINDOW_X.set(frame.left());
    p.MAIN_WINDOW_Y.set(frame.top());
    p.save(p.MAIN_WINDOW_X);
    p.save(p.MAIN_WINDOW_Y);
    placeWindow();
}

} // namespace vorl
