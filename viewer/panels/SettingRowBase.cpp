#include "SettingRowBase.h"

#include "CameraParameterTexts.h"

#include <QEvent>
#include <QLabel>

SettingRowBase::SettingRowBase(std::string name, QWidget* parent) : QWidget(parent), m_name(std::move(name))
{
}

QString SettingRowBase::labelText() const
{
    return m_label ? m_label->text() : QString();
}

void SettingRowBase::setNameLabel(QLabel* label)
{
    m_label = label;
    m_label->setText(CameraParameterTexts::label(m_name));
}

void SettingRowBase::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_label) {
        m_label->setText(CameraParameterTexts::label(m_name));
    }
    QWidget::changeEvent(event);
}
