#pragma once
#include <functional>
#include <map>
#include <string>

#include <QWidget>

#include "app/StatusFigures.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vorl {

class Commands;
class Parameter;
struct CommandEffect;

// The main window: the painted status display and every control of the layout, each with
// its identifier as object name ("0x8015"). Controls forward their use to the core's commands
// and follow their settings through `syncControl`.
class MainWindow : public QWidget {
public:
    explicit MainWindow(Commands& commands, QWidget* parent = nullptr);

    // The figures painted from now on.
    void setFigures(const StatusFigures& figures);
    const StatusFigures& figures() const { return figures_; }
    // The status display as it is painted now, top to bottom, parking panel last.
    std::vector<DisplayLine> displayLines() const;
    void setTopMost(bool topMost);
    void showWarning(const std::string& text);

    void syncControl(const std::string& settingKey);
    void syncAllControls();
    // Every control takes the enabled state the core's rules give it now.
    void refreshEnabled();
    QWidget* control(int controlId) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void fillList(QComboBox* list, const Parameter& parameter);
    // After a command: what it asks of the window, then every control's enabled state.
    void afterCommand(const CommandEffect& effect);

    Commands& commands_;
    std::map<int, QWidget*> controls_;
    StatusFigures figures_;
};

} // namespace vorl
