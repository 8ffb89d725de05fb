#include "VxLineEdit.h"
#include "ui_VxLineEdit.h"

#include "PopWidget.h"
#include "VxLineEditBase.h"
#include "VxSlider.h"

#include <QCursor>
#include <QIntValidator>

VxLineEdit::VxLineEdit(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::VxLineEdit), m_popup(new PopWidget(this)),
      m_slider(new VxSlider(Qt::Horizontal)), m_validator(new QIntValidator(this))
{
    m_ui->setupUi(this);
    m_slider->setStyleSheet(
        "QSlider::groove:horizontal { height: 4px; background: #D0D0D0; border-radius: 2px; }"
        "QSlider::sub-page:horizontal { background: #004B6A; border-radius: 2px; }"
        "QSlider::handle:horizontal { width: 10px; height: 10px; margin: -4px 0px; border-radius: 6px;"
        " background: #FFFFFF; border: 2px solid #004B6A; }");
    m_popup->setContent(m_slider);
    m_popup->hide();
    m_validator->setRange(m_slider->minimum(), m_slider->maximum());
    m_ui->le_vx_line_edit_base->setValidator(m_validator);
    m_ui->le_vx_line_edit_base->setText(QString::number(m_slider->value()));

    connect(m_ui->le_vx_line_edit_base, &VxLineEditBase::signalMouseHoverd, this,
            &VxLineEdit::slotMouseHoverd);
    connect(m_ui->le_vx_line_edit_base, &QLineEdit::textEdited, this, &VxLineEdit::textEdited);
    connect(m_ui->le_vx_line_edit_base, &QLineEdit::editingFinished, this, [this] {
        const QString text = m_ui->le_vx_line_edit_base->text();
        bool ok = false;
        const int number = text.toInt(&ok);
        if (ok) {
            const QSignalBlocker blocker(m_slider);
            m_slider->setValue(number);
        }
        Q_EMIT textFinished(text);
    });
    connect(m_slider, &QSlider::valueChanged, this, [this](int number) {
        const QString text = QString::number(number);
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

void VxLineEdit::setRange(int minimum, int maximum)
{
    m_slider->setRange(minimum, maximum);
    m_validator->setRange(minimum, maximum);
}

void VxLineEdit::setValue(int value)
{
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(value);
    m_ui->le_vx_line_edit_base->setText(QString::number(m_slider->value()));
}

int VxLineEdit::value() const
{
    return m_slider->value();
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
