#include "SettingBaseWithSwitchButton.h"
#include "ui_SettingBaseWithSwitchButton.h"

SettingBaseWithSwitchButton::SettingBaseWithSwitchButton(std::string name, QWidget* parent)
    : SettingRowBase(std::move(name), parent), m_ui(new Ui::SettingBaseWithSwitchButton)
{
    m_ui->setupUi(this);
    setNameLabel(m_ui->lb_item_name);
    connect(m_ui->switchButton, &QPushButton::clicked, this,
            [this](bool checked) { emit signalItemValueChanged(parameterName(), checked); });
}

SettingBaseWithSwitchButton::~SettingBaseWithSwitchButton()
{
    delete m_ui;
}

bool SettingBaseWithSwitchButton::isOn() const
{
    return m_ui->switchButton->isChecked();
}

QPushButton* SettingBaseWithSwitchButton::switchButton() const
{
    return m_ui->switchButton;
}

void SettingBaseWithSwitchButton::slotItemValueChanged(std::string name, bool value)
{
    if (matches(name)) {
        m_ui->switchButton->setChecked(value);
    }
}
