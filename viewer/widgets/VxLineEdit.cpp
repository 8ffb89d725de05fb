#include "VxLineEdit.h"
#include "ui_VxLineEdit.h"

#include "PopWidget.h"
#include "VxLineEditBase.h"
#include "VxSlider.h"

#include <QCursor>
#include <QDoubleValidator>

#include <algorithm>
#include <cmath>

VxLineEdit::VxLineEdit(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::VxLineEdit), m_popup(new PopWidget(this)),
      m_slider(new VxSlider(Qt::Horizontal)), m_validator(new QDoubleValidator(this))
{
    m_ui->setupUi(this);
    m_slider->setStyleSheet(
        "QSlider::groove:horizontal { height: 4px; background: #D0D0D0; border-radius: 2px; }"
        "QSlider::sub-page:horizontal { background: #004B6A; border-radius: 2px; }"
        "QSlider::handle:horizontal { width: 10px; height: 10px; margin: -4px 0px; border-radius: 6px;"
        " background: #FFFFFF; border: 2px solid #004B6A; }");
    // A drag sends one value, where it ends; the field follows the handle meanwhile.
    m_slider->setTracking(false);
    m_popup->setContent(m_slider);
    m_popup->hide();
    // Numbers are written and read the same way in every language.
    m_validator->setLocale(QLocale::c());
    m_validator->setNotation(QDoubleValidator::StandardNotation);
    m_ui->le_vx_line_edit_base->setValidator(m_validator);
    setRange(m_minimum, m_maximum);
    setValue(m_minimum);

    connect(m_ui->le_vx_line_edit_base, &VxLineEditBase::signalMouseHoverd, this,
            &VxLineEdit::slotMouseHoverd);
    connect(m_ui->le_vx_line_edit_base, &QLineEdit::textEdited, this, &VxLineEdit::textEdited);
    connect(m_ui->le_vx_line_edit_base, &QLineEdit::editingFinished, this, [this] {
        const QString text = m_ui->le_vx_line_edit_base->text();
        bool ok = false;
        const double number = QLocale::c().toDouble(text, &ok);
        if (ok) {
            const QSignalBlocker blocker(m_slider);
            m_slider->setValue(positionOf(number));
        }
        Q_EMIT textFinished(text);
    });
    connect(m_slider, &QSlider::sliderMoved, this,
            [this](int position) { m_ui->le_vx_line_edit_base->setText(textOf(valueAt(position))); });
    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        const QString text = textOf(valueAt(position));
        m_ui->le_vx_line_edit_base->setText(text);
        Q_EMIT textFinished(text);
    });
    connect(m_popup, &PopWidget::signalMouseLeft, this, &VxLineEdit::hidePopupUnlessHovered);
}

VxLineEdit::~VxLineEdit()
{
    delete m_ui;
}

VxLineEditBase* VxLineEdit::lineEdit() const
{
    return m_ui->le_vx_line_edit_base;
}

void VxLineEdit::setRange(double minimum, double maximum, double step, int decimals)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    m_step = step > 0 ? step : 1;
    m_decimals = std::max(decimals, 0);
    const QSignalBlocker blocker(m_slider);
    m_slider->setRange(0, int(std::floor((m_maximum - m_minimum) / m_step + 1e-9)));
    m_validator->setRange(m_minimum, m_maximum, m_decimals);
}

void VxLineEdit::setValue(double value)
{
    const double kept = std::clamp(value, m_minimum, m_maximum);
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(positionOf(kept));
    m_ui->le_vx_line_edit_base->setText(textOf(kept));
}

double VxLineEdit::value() const
{
    return valueAt(m_slider->value());
}

QString VxLineEdit::textOf(double value) const
{
    return QString::number(value, 'f', m_decimals);
}

double VxLineEdit::valueAt(int position) const
{
    return std::min(m_minimum + position * m_step, m_maximum);
}

int VxLineEdit::positionOf(double value) const
{
    return int(std::lround((value - m_minimum) / m_step));
}

void VxLineEdit::slotMouseHoverd(bool hovered)
{
    if (hovered) {
        placePopup();
        m_popup->show();
        m_popup->raise();
    } else {
        hidePopupUnlessHovered();
    }
}

void VxLineEdit::placePopup()
{
    VxLineEditBase* field = m_ui->le_vx_line_edit_base;
    const QPoint below = field->mapToGlobal(QPoint(0, field->height()));
    if (m_owner) {
        m_popup->setGeometry(below.x(), below.y() + kOwnedPopupGap, field->width(), kOwnedPopupHeight);
    } else {
        m_popup->setGeometry(below.x(), below.y(), field->width(), kPopupHeight);
    }
}

void VxLineEdit::hidePopupUnlessHovered()
{
    // Moving from the field onto its popup (or back) must not close the popup in between.
    const QPoint cursor = QCursor::pos();
    const bool overPopup = m_popup->isVisible() && m_popup->geometry().contains(cursor);
    const QRect fieldRect(lineEdit()->mapToGlobal(QPoint(0, 0)), lineEdit()->size());
    if (!overPopup && !fieldRect.contains(cursor)) {
        m_popup->hide();
    }
}
