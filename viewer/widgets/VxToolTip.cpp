#include "VxToolTip.h"
#include "ui_VxToolTip.h"

#include <QEvent>

VxToolTip::VxToolTip(const QString& text, int alignmentMode, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::VxToolTip), m_alignmentMode(alignmentMode)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_ui->lb_tool_tip->setText(text);
    adjustSize();

    m_showTimer.setSingleShot(true);
    m_hideTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, &VxToolTip::onShowTimeout);
    connect(&m_hideTimer, &QTimer::timeout, this, &VxToolTip::onHideTimeout);
}

VxToolTip::~VxToolTip()
{
    if (m_target) {
        m_target->removeEventFilter(this);
    }
    delete m_ui;
}

void VxToolTip::attachToWidget(QWidget* target)
{
    if (m_target) {
        m_target->removeEventFilter(this);
    }
    m_target = target;
    if (m_target) {
        m_target->installEventFilter(this);
        m_target->setMouseTracking(true);
    }
}

void VxToolTip::setXOffset(int offset)
{
    if (offset != m_xOffset) {
        m_xOffset = offset;
        Q_EMIT xOffsetChanged(offset);
    }
}

void VxToolTip::setYOffset(int offset)
{
    if (offset != m_yOffset) {
        m_yOffset = offset;
        Q_EMIT yOffsetChanged(offset);
    }
}

QString VxToolTip::text() const
{
    return m_ui->lb_tool_tip->text();
}

void VxToolTip::setText(const QString& text)
{
    if (text != this->text()) {
        m_ui->lb_tool_tip->setText(text);
        adjustSize();
        Q_EMIT textChanged(text);
    }
}

Qt::Alignment VxToolTip::alignment() const
{
    return m_ui->lb_tool_tip->alignment();
}

void VxToolTip::setAlignment(Qt::Alignment alignment)
{
    if (alignment != this->alignment()) {
        m_ui->lb_tool_tip->setAlignment(alignment);
        Q_EMIT alignmentChanged(alignment);
    }
}

bool VxToolTip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_target) {
        if (event->type() == QEvent::Enter) {
            if (m_alignmentMode == AlignCenterAbove || m_alignmentMode == AlignLeftOfTarget) {
                placeOverTarget();
                m_showTimer.start(kShowDelayMs);
            }
        } else if (event->type() == QEvent::Leave) {
            m_showTimer.stop();
            m_hideTimer.stop();
            m_hideTimer.start(kLeaveDelayMs);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void VxToolTip::placeOverTarget()
{
    adjustSize();
    const QPoint targetTopLeft = m_target->mapToGlobal(QPoint(0, 0));
    const int y = targetTopLeft.y() - height() + m_yOffset;
    int x = targetTopLeft.x();
    if (m_alignmentMode == AlignCenterAbove) {
        x += (m_target->width() - width()) / 2;
    } else {
        x -= width();
    }
    move(x + m_xOffset, y);
}

void VxToolTip::onShowTimeout()
{
    show();
    raise();
    m_hideTimer.start(kShowDurationMs);
}

void VxToolTip::onHideTimeout()
{
    m_showTimer.stop();
    m_hideTimer.stop();
    hide();
}
