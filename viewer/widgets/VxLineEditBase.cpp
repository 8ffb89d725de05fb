#include "VxLineEditBase.h"

#include <QStyle>

VxLineEditBase::VxLineEditBase(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignCenter);
    setStyleSheet("QLineEdit { font-family: \"Noto Sans SC Medium\"; font-size: 12px; color: #555555;"
                  " border: 1px solid #ACACAC; border-radius: 3px; background: #FFFFFF; }"
                  "QLineEdit:disabled { color: #A7A7A7; background: #F4F5F7; }"
                  "QLineEdit[input=\"valid\"] { border: 1px solid #004B6A; background: #D7E7EE; }"
                  "QLineEdit[input=\"invalid\"] { border: 1px solid #FF6058; background: #FFDAD8; }");
}

void VxLineEditBase::setInputState(VxInputState state)
{
    static const char* const kInputs[] = {"neutral", "valid", "invalid"};
    m_inputState = state;
    // The dynamic property selects the style sheet's rule; re-polishing applies it.
    setProperty("input", kInputs[int(state)]);
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void VxLineEditBase::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    Q_EMIT signalMouseHoverd(true);
}

void VxLineEditBase::leaveEvent(QEvent* event)
{
    QLineEdit::leaveEvent(event);
    Q_EMIT signalMouseHoverd(false);
}
