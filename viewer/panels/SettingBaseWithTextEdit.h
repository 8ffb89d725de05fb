#pragma once

#include "SettingRowBase.h"

#include <string>

class VxLineEditBase;

namespace Ui {
class SettingBaseWithTextEdit;
}

// The row of a text parameter: its name and a field whose text is sent when editing ends with
// a change.
class SettingBaseWithTextEdit : public SettingRowBase
{
    Q_OBJECT

public:
    SettingBaseWithTextEdit(std::string name, int maxLength, QWidget* parent = nullptr);
    ~SettingBaseWithTextEdit() override;

    VxLineEditBase* field() const;

Q_SIGNALS:
    void signalItemValueChanged(std::string name, std::string value);

public Q_SLOTS:
    // Shows `value` when `name` is this row's parameter.
    void slotItemValueChanged(std::string name, std::string value);

private:
    Ui::SettingBaseWithTextEdit* m_ui;
    std::string m_value;
};
