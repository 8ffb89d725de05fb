#pragma once

#include "SettingRowBase.h"

#include <string>

class QPushButton;
class VxLineEdit;

namespace Ui {
class SettingBaseWithLineEdit;
}

// The row of a number parameter: its name, a field with a slider that pops up while the mouse is
// over it, a step button on either side and the unit. A typed text is checked as it is typed
// (accent frame when the parameter takes it, error frame when not) and sent when editing ends;
// the slider sends where it is let go, a step button at once. Only values inside the range (for
// integers, on a step from the minimum) are ever sent.
class SettingBaseWithLineEdit : public SettingRowBase
{
    Q_OBJECT

public:
    enum class Kind
    {
        Integer,
        Float,
    };

    SettingBaseWithLineEdit(std::string name, Kind kind, QWidget* parent = nullptr);
    ~SettingBaseWithLineEdit() override;

    Kind kind() const { return m_kind; }
    // An integer parameter takes minimum + k·step; a float one any number in the range, shown
    // with as many decimals as its span calls for.
    void setRange(double minimum, double maximum, int step = 1);
    double minimum() const;
    double maximum() const;
    // The step of the slider and of the step buttons.
    double step() const { return m_buttonStep; }
    void setUnit(const QString& unit);
    QString unit() const;
    // The value the row stands for: the last one sent or shown.
    double value() const { return m_value; }
    // Whether the parameter takes `text`, and as what.
    bool accepts(const QString& text, double* value = nullptr) const;

    VxLineEdit* field() const;
    QPushButton* subButton() const;
    QPushButton* addButton() const;

Q_SIGNALS:
    void signalItemValueChanged(std::string name, int value);
    void signalItemValueChanged(std::string name, float value);

public Q_SLOTS:
    // Shows `value` when `name` is this row's parameter.
    void slotItemValueChanged(std::string name, int value);
    void slotItemValueChanged(std::string name, float value);

private:
    void showValue(double value);
    void onTextEdited(const QString& text);
    void onTextFinished(const QString& text);
    void stepBy(int steps);
    void send(double value);

    Ui::SettingBaseWithLineEdit* m_ui;
    Kind m_kind;
    int m_step = 1;
    double m_buttonStep = 1;
    double m_value = 0;
};
