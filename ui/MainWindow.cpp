#include "ui/MainWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <fmt/format.h>

#include <QMessageBox>

#include "app/Commands.h"
#include "app/Parameters.h"
#include "app/StatusBoard.h"
#include "common/Names.h"
#include "app/WindowLayout.h"
#include "common/Log.h"
#include "common/TextConversion.h"
#include "ui/StatusPainter.h"

namespace vorl {
namespace {

QString lf_toQString(const std::string& text) {
    try {
        const std::u16string wide = utf8_to_wide(text);
        return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
    } catch (const std::exception& e) {
        logLine("utf8_to_wide failed for '{}': {}", text, e.what());
        return {};
    }
}

std::string lf_toUtf8(const QString& text) {
    const std::u16string wide(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
    return wide_to_utf8(wide);
}

} // namespace

MainWindow::MainWindow(Commands& commands, QWidget* parent) : QWidget(parent), commands_(commands) {
    setFixedSize(kWindowWidth, kWindowHeight);
    setWindowTitle("VORL");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    createControls();
}

void MainWindow::createControls() {
    for (const ControlSpec& spec : gf_controls()) {
        QWidget* widget = nullptr;
        const int id = spec.id;
        switch (spec.kind) {
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(this);
            box->setGeometry(spec.x, spec.row + 2, 14, 14);
            connect(box, &QCheckBox::clicked, this, [this, id, key = spec.settingKey] {
                const CommandEffect effect = commands_.checkBoxClicked(id);
                syncControl(key);
                afterCommand(effect);
            });
            widget = box;
            break;
        }
        case ControlKind::DropDownList: {
            auto* list = new QComboBox(this);
            list->setGeometry(spec.x, spec.row - 5, spec.width, 22);
            list->setMaxVisibleItems(std::max(3, spec.listHeight / 16));
            connect(list, &QComboBox::activated, this, [this, id, key = spec.settingKey](int index) {
                const CommandEffect effect = commands_.listSelected(id, index);
                syncControl(key);
                afterCommand(effect);
            });
            widget = list;
            break;
        }
        case ControlKind::EditBox: {
            auto* edit = new QLineEdit(this);
            edit->setGeometry(spec.x, spec.row - 1, spec.width, 18);
            connect(edit, &QLineEdit::returnPressed, this, [this, id, edit] {
                afterCommand(commands_.editEntered(id, lf_toUtf8(edit->text())));
            });
            widget = edit;
            break;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(QString::fromStdString(spec.buttonText), this);
            button->setGeometry(spec.x, spec.row, spec.width, 20);
            button->setDefault(true);
            connect(button, &QPushButton::clicked, this, [this, id] {
                afterCommand(commands_.buttonClicked(id));
            });
            widget = button;
            break;
        }
        }
        widget->setObjectName(QString::fromStdString(fmt::format("0x{:04x}", id)));
        widget->setProperty("controlId", id);
        controls_[id] = widget;
    }
    syncAllControls();
    refreshEnabled();
}

void MainWindow::fillList(QComboBox* list, const Parameter& parameter) {
    const auto entries = gf_listEntries(parameter);
    bool same = list->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < list->count(); ++i) same = list->itemText(i) == lf_toQString(entries[static_cast<std::size_t>(i)]);
    if (!same) {
        list->clear();
        for (const auto& entry : entries) list->addItem(lf_toQString(entry));
    }
    // A value that is not an entry leaves the selection as it was.
    if (const auto index = gf_selectedListIndex(parameter)) list->setCurrentIndex(static_cast<int>(*index));
}

void MainWindow::syncControl(const std::string& settingKey) {
    const ControlSpec* spec = gf_controlBySetting(settingKey);
    const Parameter* parameter = gf_params().find(settingKey);
    if (!spec || !parameter) return;
    QWidget* widget = control(spec->id);
    if (!widget) {
        logLine("GetDlgItem failed for ID {}", spec->id);
        return;
    }
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        box->setChecked(parameter->valueText() == "true");
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        fillList(list, *parameter);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(lf_toQString(parameter->valueText()));
    }
}

void MainWindow::refreshEnabled() {
    for (const auto& [id, widget] : controls_) widget->setEnabled(commands_.controlEnabled(id));
}

void MainWindow::afterCommand(const CommandEffect& effect) {
    if (effect.topMost) setTopMost(*effect.topMost);
    if (!effect.warning.empty()) showWarning(effect.warning);
    refreshEnabled();
    update();
}

void MainWindow::setFigures(const StatusFigures& figures) {
    figures_ = figures;
    update();
}

std::vector<DisplayLine> MainWindow::displayLines() const {
    return gf_displayLines(figures_, gf_status().status(), gf_status().error());
}

void MainWindow::setTopMost(bool topMost) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    if (visible) show();
}

void MainWindow::showWarning(const std::string& text) {
    QMessageBox::warning(this, kProgramName, QString::fromStdString(text));
}

void MainWindow::syncAllControls() {
    for (const ControlSpec& spec : gf_controls())
        if (!spec.settingKey.empty()) syncControl(spec.settingKey);
}

QWidget* MainWindow::control(int controlId) const {
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    gf_paintWindow(painter, width(), height(), figures_);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window stays until closing down is finished; it asks for the quit itself.
    event->ignore();
    commands_.windowClosing();
}

} // namespace vorl
