#include "VXComboBoxBase.h"

VXComboBoxBase::VXComboBoxBase(QWidget* parent) : QComboBox(parent) {}

void VXComboBoxBase::showPopup()
{
    QComboBox::showPopup();
    Q_EMIT popupShown();
}

void VXComboBoxBase::hidePopup()
{
    QComboBox::hidePopup();
    Q_EMIT popupHidden();
}
