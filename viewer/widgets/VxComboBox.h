#pragma once

#include "VxInputState.h"

#include <QWidget>

class QLineEdit;
class VXComboBoxBase;

namespace Ui {
class VxComboBox;
}

// An editable combo box in a bordered frame whose border lights up while it is focused or open.
class VxComboBox : public QWidget
{
    Q_OBJECT

public:
    using InputState = VxInputState;

    explicit VxComboBox(QWidget* parent = nullptr);
    ~VxComboBox() override;

    VXComboBoxBase* comboBox() const;
    QLineEdit* lineEdit() const;
    // True while the combo box has the focus or its list is open.
    bool isActive() const { return m_focused || m_open; }
    bool isPopupOpen() const { return m_open; }
    void setInputState(InputState state);
    InputState inputState() const { return m_inputState; }

Q_SIGNALS:
    void signalLineEditTextChanged(const QString& text);
    void signalLineEditEditingFinished(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateLook();

    Ui::VxComboBox* m_ui;
    bool m_focused = false;
    bool m_open = false;
    InputState m_inputState = InputState::Neutral;
};
