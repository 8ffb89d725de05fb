#pragma once

#include "SettingRowBase.h"

#include <string>

class QPushButton;

namespace Ui {
class SettingBaseWithSwitchButton;
}

// The row of a switch parameter: its name and a switch that sends its new state when clicked.
class SettingBaseWithSwitchButton : public SettingRowBase
{
    Q_OBJECT

public:
    explicit SettingBaseWithSwitchButton(std::string name, QWidget* parent = nullptr);
    ~SettingBaseWithSwitchButton() override;

    bool isOn() const;
    QPushButton* switchButton() const;

Q_SIGNALS:
    void signalItemValueChanged(std::string name, bool value);

public Q_SLOTS:
    // Shows `value` when `name` is this row's parameter.
    void slotItemValueChanged(std::string name, bool value);

private:
    Ui::SettingBaseWithSwitchButton* m_ui;
};
