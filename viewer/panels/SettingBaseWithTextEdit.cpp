#include "SettingBaseWithTextEdit.h"
#include "ui_SettingBaseWithTextEdit.h"

#include "VxLineEditBase.h"

SettingBaseWithTextEdit::SettingBaseWithTextEdit(std::string name, int maxLength, QWidget* parent)
    : SettingRowBase(std::move(name), parent), m_ui(new Ui::SettingBaseWithTextEdit)
{
    m_ui->setupUi(this);
    setNameLabel(m_ui->lb_item_name);
    m_ui->le_item_text->setMaxLength(maxLength);
    connect(m_ui->le_item_text, &QLineEdit::editingFinished, this, [this] {
        const std::string text = m_ui->le_item_text->text().toStdString();
        if (text != m_value) {
            m_value = text;
            emit signalItemValueChanged(parameterName(), text);
        }
    });
}

SettingBaseWithTextEdit::~SettingBaseWithTextEdit()
{
    delete m_ui;
}

VxLineEditBase* SettingBaseWithTextEdit::field() const
{
    return m_ui->le_item_text;
}

void SettingBaseWithTextEdit::slotItemValueChanged(std::string name, std::string value)
{
    if (matches(name)) {
        m_value = value;
        m_ui->le_item_text->setText(QString::fromStdString(value));
    }
}
