#include "SettingBaseWithLineEdit.h"
#include "ui_SettingBaseWithLineEdit.h"

#include "VxLineEdit.h"
#include "VxLineEditBase.h"
#include "VxSlider.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

SettingBaseWithLineEdit::SettingBaseWithLineEdit(std::string name, Kind kind, QWidget* parent)
    : SettingRowBase(std::move(name), parent), m_ui(new Ui::SettingBaseWithLineEdit), m_kind(kind)
{
    m_ui->setupUi(this);
    setNameLabel(m_ui->lb_item_name);
    VxLineEdit* edit = m_ui->le_vx_line_edit;
    edit->setOwnerWidget(this);
    edit->slider()->setObjectName("horizontalSlider");
    connect(edit, &VxLineEdit::textEdited, this, &SettingBaseWithLineEdit::onTextEdited);
    connect(edit, &VxLineEdit::textFinished, this, &SettingBaseWithLineEdit::onTextFinished);
    connect(m_ui->pb_sub_item_value, &QPushButton::clicked, this, [this] { stepBy(-1); });
    connect(m_ui->pb_add_item_value, &QPushButton::clicked, this, [this] { stepBy(1); });
}

SettingBaseWithLineEdit::~SettingBaseWithLineEdit()
{
    delete m_ui;
}

VxLineEdit* SettingBaseWithLineEdit::field() const
{
    return m_ui->le_vx_line_edit;
}

QPushButton* SettingBaseWithLineEdit::subButton() const
{
    return m_ui->pb_sub_item_value;
}

QPushButton* SettingBaseWithLineEdit::addButton() const
{
    return m_ui->pb_add_item_value;
}

void SettingBaseWithLineEdit::setRange(double minimum, double maximum, int step)
{
    if (m_kind == Kind::Integer) {
        m_step = std::max(step, 1);
        m_buttonStep = m_step;
        field()->setRange(minimum, maximum, m_step, 0);
    } else {
        // About a thousand slider steps over the span, and a hundredth of its decade a click.
        const double span = maximum - minimum;
        const int magnitude = span > 0 ? int(std::floor(std::log10(span))) : 0;
        const int decimals = std::clamp(3 - magnitude, 0, 6);
        m_buttonStep = std::pow(10.0, magnitude - 2);
        field()->setRange(minimum, maximum, std::pow(10.0, -decimals), decimals);
    }
    showValue(m_value);
}

double SettingBaseWithLineEdit::minimum() const
{
    return field()->minimum();
}

double SettingBaseWithLineEdit::maximum() const
{
    return field()->maximum();
}

void SettingBaseWithLineEdit::setUnit(const QString& unit)
{
    m_ui->lb_unit->setText(unit);
}

QString SettingBaseWithLineEdit::unit() const
{
    return m_ui->lb_unit->text();
}

bool SettingBaseWithLineEdit::accepts(const QString& text, double* value) const
{
    bool ok = false;
    double number = 0;
    if (m_kind == Kind::Integer) {
        const int whole = QLocale::c().toInt(text.trimmed(), &ok);
        number = whole;
        ok = ok && std::fmod(number - minimum(), m_step) == 0;
    } else {
        number = QLocale::c().toDouble(text.trimmed(), &ok);
        ok = ok && std::isfinite(number);
    }
    ok = ok && number >= minimum() && number <= maximum();
    if (ok && value) {
        *value = number;
    }
    return ok;
}

void SettingBaseWithLineEdit::slotItemValueChanged(std::string name, int value)
{
    if (matches(name)) {
        showValue(value);
    }
}

void SettingBaseWithLineEdit::slotItemValueChanged(std::string name, float value)
{
    if (matches(name)) {
        showValue(value);
    }
}

void SettingBaseWithLineEdit::showValue(double value)
{
    m_value = value;
    field()->setValue(value);
    field()->lineEdit()->setInputState(VxInputState::Neutral);
}

void SettingBaseWithLineEdit::onTextEdited(const QString& text)
{
    field()->lineEdit()->setInputState(accepts(text) ? VxInputState::Valid : VxInputState::Invalid);
}

void SettingBaseWithLineEdit::onTextFinished(const QString& text)
{
    double number = 0;
    if (!accepts(text, &number)) {
        return; // the error frame stays, and the parameter keeps its value
    }
    field()->lineEdit()->setInputState(VxInputState::Neutral);
    // Leaving the field or letting the slider go where it was changes nothing.
    if (number != m_value) {
        send(number);
    }
}

void SettingBaseWithLineEdit::stepBy(int steps)
{
    // The highest value an integer parameter takes is the last step below its maximum.
    const double top = m_kind == Kind::Integer
                           ? minimum() + std::floor((maximum() - minimum()) / m_step) * m_step
                           : maximum();
    const double next = std::clamp(m_value + steps * m_buttonStep, minimum(), top);
    if (next != m_value) {
        send(next);
    }
}

void SettingBaseWithLineEdit::send(double value)
{
    showValue(value);
    if (m_kind == Kind::Integer) {
        emit signalItemValueChanged(parameterName(), int(std::lround(value)));
    } else {
        emit signalItemValueChanged(parameterName(), float(value));
    }
}
