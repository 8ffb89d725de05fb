#pragma once

#include "VxInputState.h"

#include <QLineEdit>

// A centred, styled line edit that reports when the mouse enters and leaves it, and whose frame
// shows what its text is worth.
class VxLineEditBase : public QLineEdit
{
    Q_OBJECT

public:
    explicit VxLineEditBase(QWidget* parent = nullptr);

    void setInputState(VxInputState state);
    VxInputState inputState() const { return m_inputState; }

Q_SIGNALS:
    // "Hoverd" is the interface's own spelling, kept on purpose.
    void signalMouseHoverd(bool hovered);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    VxInputState m_inputState = VxInputState::Neutral;
};
