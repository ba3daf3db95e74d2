#pragma once
#include <functional>
#include <map>
#include <string>

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vorl {

class Parameter;

// The main window: the painted status display and every control of the layout, each with
// its identifier as object name ("0x8015"). Controls forward their use to the core's commands
// and follow their settings through `syncControl`.
class MainWindow : public QWidget {
public:
    explicit MainWindow(QWidget* parent = nullptr);

    void syncControl(const std::string& settingKey);
    void syncAllControls();
    void setControlEnabled(int controlId, bool enabled);
    // Every control takes the enabled state the core's rules give it now.
    void refreshEnabled();
    QWidget* control(int controlId) const;

    // Set by the front-end: the close button asks the core to stop instead of closing.
    void setCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void fillList(QComboBox* list, const Parameter& parameter);

    std::map<int, QWidget*> controls_;
    std::function<void()> closeHandler_;
};

} // namespace vorl
