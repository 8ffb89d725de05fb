#include "VxThreeHandleSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {
const QColor kGroove(208, 208, 208);
const QColor kAccent(0x00, 0x4B, 0x6A);
const QColor kRange(0x9D, 0xBF, 0xCD);
const QColor kDisabled(0xA7, 0xA7, 0xA7);
const QColor kActivity(0x00, 0x4B, 0x6A, 150);
constexpr int kTrackCross = 24;
constexpr int kStripGap = 2;
constexpr int kStripHeight = 8;
} // namespace

VxThreeHandleSlider::VxThreeHandleSlider(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation)
{
    if (m_orientation == Qt::Horizontal) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
}

QSize VxThreeHandleSlider::sizeHint() const
{
    const int cross = kTrackCross + stripSpace();
    return m_orientation == Qt::Horizontal ? QSize(300, cross) : QSize(cross, 300);
}

QSize VxThreeHandleSlider::minimumSizeHint() const
{
    const int cross = kTrackCross + stripSpace();
    return m_orientation == Qt::Horizontal ? QSize(60, cross) : QSize(cross, 60);
}

void VxThreeHandleSlider::setActivity(const QVector<double>& levels)
{
    const bool resized = levels.isEmpty() != m_activity.isEmpty();
    m_activity = levels;
    if (resized) {
        updateGeometry();
    }
    update();
}

int VxThreeHandleSlider::stripSpace() const
{
    return m_activity.isEmpty() ? 0 : kStripGap + kStripHeight;
}

int VxThreeHandleSlider::trackCross() const
{
    return std::max(0, crossLength() - stripSpace());
}

QRect VxThreeHandleSlider::activityRect() const
{
    if (m_activity.isEmpty() || m_orientation != Qt::Horizontal) {
        return QRect();
    }
    const int margin = std::max(m_centerHandleSize, m_rangeHandleSize) / 2;
    return QRect(margin, trackCross() + kStripGap, std::max(0, width() - 2 * margin), kStripHeight);
}

void VxThreeHandleSlider::setMode(int mode)
{
    m_mode = mode == CenterAndRange ? CenterAndRange : CenterOnly;
    resetRange();
}

void VxThreeHandleSlider::resetRange()
{
    m_lowerValue = m_minimum;
    m_upperValue = std::max(m_maximum, m_minimum);
    normalize();
    update();
    Q_EMIT lowerValueChanged(m_lowerValue);
    Q_EMIT upperValueChanged(m_upperValue);
}

uint64_t VxThreeHandleSlider::rangeStart() const
{
    return m_mode == CenterAndRange ? m_lowerValue : m_minimum;
}

uint64_t VxThreeHandleSlider::rangeEnd() const
{
    return m_mode == CenterAndRange ? m_upperValue : m_maximum;
}

void VxThreeHandleSlider::normalize()
{
    const uint64_t top = std::max(m_minimum, m_maximum);
    m_lowerValue = std::clamp(m_lowerValue, m_minimum, top);
    m_upperValue = std::clamp(m_upperValue, m_lowerValue, top);
    m_centerValue = std::clamp(m_centerValue, m_lowerValue, m_upperValue);
}

void VxThreeHandleSlider::setMinimum(uint64_t aMinimum)
{
    // A range handle resting on the old end follows the new end, so that a newly loaded
    // recording is selected whole instead of keeping the previous file's values.
    const bool lowerAtEnd = m_lowerValue <= m_minimum;
    m_minimum = aMinimum;
    m_span = m_maximum > m_minimum ? m_maximum - m_minimum : 0;
    if (lowerAtEnd || m_mode == CenterOnly) {
        m_lowerValue = m_minimum;
    }
    m_lowerValue = std::max(m_lowerValue, m_minimum);
    normalize();
    update();
    Q_EMIT rangeChanged(m_minimum, m_maximum);
}

void VxThreeHandleSlider::setMaximum(uint64_t aMaximum)
{
    const bool upperAtEnd = m_upperValue >= m_maximum;
    m_maximum = aMaximum;
    m_span = m_maximum > m_minimum ? m_maximum - m_minimum : 0;
    if (upperAtEnd || m_mode == CenterOnly) {
        m_upperValue = m_maximum;
    }
    m_upperValue = std::min(m_upperValue, m_maximum);
    normalize();
    update();
    Q_EMIT rangeChanged(m_minimum, m_maximum);
}

void VxThreeHandleSlider::setCenterValue(uint64_t center_value)
{
    // The handle in the user's hand stays where the user holds it.
    if (m_dragged == Handle::Center) {
        return;
    }
    m_centerValue = std::clamp(center_value, m_lowerValue, std::max(m_lowerValue, m_upperValue));
    update();
}

void VxThreeHandleSlider::setLowerValue(uint64_t aLowerValue)
{
    aLowerValue = std::min(aLowerValue, m_mode == CenterAndRange ? m_centerValue : m_upperValue);
    m_lowerValue = std::max(aLowerValue, m_minimum);
    normalize();
    update();
}

void VxThreeHandleSlider::setUpperValue(uint64_t aUpperValue)
{
    aUpperValue = std::max(aUpperValue, m_mode == CenterAndRange ? m_centerValue : m_minimum);
    m_upperValue = std::min(aUpperValue, m_maximum);
    normalize();
    update();
}

int VxThreeHandleSlider::axisLength() const
{
    return m_orientation == Qt::Horizontal ? width() : height();
}

int VxThreeHandleSlider::crossLength() const
{
    return m_orientation == Qt::Horizontal ? height() : width();
}

double VxThreeHandleSlider::axisPosition(const QPointF& point) const
{
    // A vertical slider grows upwards.
    return m_orientation == Qt::Horizontal ? point.x() : height() - point.y();
}

double VxThreeHandleSlider::positionForValue(uint64_t value) const
{
    const double margin = std::max(m_centerHandleSize, m_rangeHandleSize) / 2.0;
    const double usable = std::max(0.0, axisLength() - 2 * margin);
    if (m_span == 0 || value <= m_minimum) {
        return margin;
    }
    const double fraction = std::min(1.0, double(value - m_minimum) / double(m_span));
    return margin + fraction * usable;
}

uint64_t VxThreeHandleSlider::valueForPosition(double position) const
{
    const double margin = std::max(m_centerHandleSize, m_rangeHandleSize) / 2.0;
    const double usable = axisLength() - 2 * margin;
    if (m_span == 0 || usable <= 0) {
        return m_minimum;
    }
    const double fraction = std::clamp((position - margin) / usable, 0.0, 1.0);
    const double offset = std::round(fraction * double(m_span));
    return m_minimum + std::min(m_span, static_cast<uint64_t>(offset));
}

QRect VxThreeHandleSlider::handleRect(uint64_t value, int length, int thickness) const
{
    const double middle = positionForValue(value);
    const int start = int(std::lround(middle - length / 2.0));
    const int across = (trackCross() - thickness) / 2;
    if (m_orientation == Qt::Horizontal) {
        return QRect(start, across, length, thickness);
    }
    return QRect(across, height() - start - length, thickness, length);
}

QRect VxThreeHandleSlider::centerHandleRect() const
{
    return handleRect(m_centerValue, m_centerHandleSize, m_centerHandleSize);
}

QRect VxThreeHandleSlider::lowerHandleRect() const
{
    return handleRect(m_lowerValue, m_rangeHandleSize, std::min(trackCross(), 20));
}

QRect VxThreeHandleSlider::upperHandleRect() const
{
    return handleRect(m_upperValue, m_rangeHandleSize, std::min(trackCross(), 20));
}

void VxThreeHandleSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool enabled = isEnabled();
    const QColor accent = enabled ? kAccent : kDisabled;

    // The groove and the filled parts are drawn along the axis; a vertical slider rotates the
    // painter so that the same code serves both orientations.
    const int length = axisLength();
    const int cross = trackCross();
    if (m_orientation == Qt::Vertical) {
        painter.translate(0, height());
        painter.rotate(-90);
    }
    const double margin = std::max(m_centerHandleSize, m_rangeHandleSize) / 2.0;
    paintActivity(painter,
                  QRectF(margin, cross + kStripGap, std::max(0.0, length - 2 * margin), kStripHeight));
    const QRectF groove(margin, (cross - 10) / 2.0, std::max(0.0, length - 2 * margin), 10);
    QPainterPath groovePath;
    groovePath.addRoundedRect(groove, 5, 5);
    painter.fillPath(groovePath, kGroove);

    const double startPos = positionForValue(rangeStart());
    const double endPos = positionForValue(rangeEnd());
    const double centerPos = positionForValue(m_centerValue);
    painter.setClipPath(groovePath);
    if (m_mode == CenterAndRange) {
        painter.fillRect(QRectF(startPos, groove.top(), endPos - startPos, groove.height()),
                         enabled ? kRange : kGroove.darker(110));
    }
    painter.fillRect(QRectF(startPos, groove.top(), centerPos - startPos, groove.height()), accent);
    painter.setClipping(false);

    if (m_mode == CenterAndRange) {
        const double thickness = std::min(cross, 20);
        for (double pos : {startPos, endPos}) {
            QPainterPath handle;
            handle.addRoundedRect(QRectF(pos - m_rangeHandleSize / 2.0, (cross - thickness) / 2.0,
                                         m_rangeHandleSize, thickness),
                                  2, 2);
            painter.fillPath(handle, accent);
        }
    }
    painter.setPen(QPen(accent, 3));
    painter.setBrush(Qt::white);
    const double radius = m_centerHandleSize / 2.0 - 1.5;
    painter.drawEllipse(QPointF(centerPos, cross / 2.0), radius, radius);
}

void VxThreeHandleSlider::paintActivity(QPainter& painter, const QRectF& strip) const
{
    if (m_activity.isEmpty()) {
        return;
    }
    const double top = *std::max_element(m_activity.begin(), m_activity.end());
    painter.fillRect(strip, kGroove.lighter(112));
    if (top <= 0) {
        return;
    }
    // One step a slice, as tall as its share of the busiest slice, filled as one shape so that
    // neighbouring slices leave no seams between them.
    const double slice = strip.width() / m_activity.size();
    QPainterPath profile(strip.bottomLeft());
    for (int i = 0; i < m_activity.size(); ++i) {
        const double height = strip.height() * std::clamp(m_activity.at(i) / top, 0.0, 1.0);
        profile.lineTo(strip.left() + i * slice, strip.bottom() - height);
        profile.lineTo(strip.left() + (i + 1) * slice, strip.bottom() - height);
    }
    profile.lineTo(strip.bottomRight());
    profile.closeSubpath();
    painter.fillPath(profile, isEnabled() ? kActivity : kDisabled);
}

void VxThreeHandleSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    const double position = axisPosition(event->position());
    // The centre handle wins where handles overlap: it is the one users move most.
    if (centerHandleRect().adjusted(-2, -2, 2, 2).contains(point)) {
        m_dragged = Handle::Center;
        m_dragOffset = position - positionForValue(m_centerValue);
    } else if (m_mode == CenterAndRange && lowerHandleRect().adjusted(-2, -2, 2, 2).contains(point)) {
        m_dragged = Handle::Lower;
        m_dragOffset = position - positionForValue(m_lowerValue);
    } else if (m_mode == CenterAndRange && upperHandleRect().adjusted(-2, -2, 2, 2).contains(point)) {
        m_dragged = Handle::Upper;
        m_dragOffset = position - positionForValue(m_upperValue);
    } else {
        m_dragged = Handle::None;
        const uint64_t value = std::clamp(valueForPosition(position), m_lowerValue, m_upperValue);
        m_centerValue = value;
        update();
        Q_EMIT centerValueTrackClick(value);
    }
    event->accept();
}

void VxThreeHandleSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragged == Handle::None || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const uint64_t value = valueForPosition(axisPosition(event->position()) - m_dragOffset);
    switch (m_dragged) {
    case Handle::Center:
        m_centerValue = std::clamp(value, m_lowerValue, m_upperValue);
        update();
        showValueTip(m_centerValue, centerHandleRect());
        Q_EMIT centerValueMove(m_centerValue);
        break;
    case Handle::Lower:
        m_lowerValue = std::clamp(value, m_minimum, m_centerValue);
        update();
        showValueTip(m_lowerValue, lowerHandleRect());
        Q_EMIT lowerValueChanged(m_lowerValue);
        break;
    case Handle::Upper:
        m_upperValue = std::clamp(value, m_centerValue, std::max(m_centerValue, m_maximum));
        update();
        showValueTip(m_upperValue, upperHandleRect());
        Q_EMIT upperValueChanged(m_upperValue);
        break;
    case Handle::None:
        break;
    }
    event->accept();
}

void VxThreeHandleSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragged == Handle::Center) {
        Q_EMIT centerValueChanged(m_centerValue);
    }
    if (m_dragged != Handle::None) {
        QToolTip::hideText();
    }
    m_dragged = Handle::None;
    QWidget::mouseReleaseEvent(event);
}

void VxThreeHandleSlider::showValueTip(uint64_t value, const QRect& handle)
{
    const QString text = m_formatter ? m_formatter(value) : QString::number(value);
    // Above the handle, where the hand does not cover it.
    QToolTip::showText(mapToGlobal(QPoint(handle.center().x(), handle.top() - 28)), text, this);
}
