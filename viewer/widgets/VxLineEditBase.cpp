#include "VxLineEditBase.h"

VxLineEditBase::VxLineEditBase(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignCenter);
    setStyleSheet("QLineEdit { font-family: \"Noto Sans SC Medium\"; font-size: 12px; color: #555555;"
                  " border: 1px solid #ACACAC; border-radius: 3px; background: #FFFFFF; }");
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
