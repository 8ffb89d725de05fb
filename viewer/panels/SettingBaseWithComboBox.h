#pragma once

#include "SettingRowBase.h"

#include <string>
#include <vector>

class QComboBox;

namespace Ui {
class SettingBaseWithComboBox;
}

// The row of a choice parameter: its name and a list of its options; picking one sends it.
class SettingBaseWithComboBox : public SettingRowBase
{
    Q_OBJECT

public:
    SettingBaseWithComboBox(std::string name, const std::vector<std::string>& options,
                            QWidget* parent = nullptr);
    ~SettingBaseWithComboBox() override;

    std::string currentOption() const;
    QComboBox* comboBox() const;

Q_SIGNALS:
    void signalItemValueChanged(std::string name, std::string value);

public Q_SLOTS:
    // Selects `value` when `name` is this row's parameter and `value` is one of its options.
    void slotItemValueChanged(std::string name, std::string value);

private:
    Ui::SettingBaseWithComboBox* m_ui;
};
