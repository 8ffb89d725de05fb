#include "SettingBaseWithComboBox.h"
#include "ui_SettingBaseWithComboBox.h"

#include <QSignalBlocker>

SettingBaseWithComboBox::SettingBaseWithComboBox(std::string name, const std::vector<std::string>& options,
                                                 QWidget* parent)
    : SettingRowBase(std::move(name), parent), m_ui(new Ui::SettingBaseWithComboBox)
{
    m_ui->setupUi(this);
    setNameLabel(m_ui->lb_set_item_name);
    for (const std::string& option : options) {
        m_ui->cb_item->addItem(QString::fromStdString(option));
    }
    connect(m_ui->cb_item, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        emit signalItemValueChanged(parameterName(), text.toStdString());
    });
}

SettingBaseWithComboBox::~SettingBaseWithComboBox()
{
    delete m_ui;
}

std::string SettingBaseWithComboBox::currentOption() const
{
    return m_ui->cb_item->currentText().toStdString();
}

QComboBox* SettingBaseWithComboBox::comboBox() const
{
    return m_ui->cb_item;
}

void SettingBaseWithComboBox::slotItemValueChanged(std::string name, std::string value)
{
    const int index = m_ui->cb_item->findText(QString::fromStdString(value));
    if (matches(name) && index >= 0) {
        // Showing the camera's value is not a choice of the user's.
        const QSignalBlocker blocker(m_ui->cb_item);
        m_ui->cb_item->setCurrentIndex(index);
    }
}
