#include "VxSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

VxSlider::VxSlider(QWidget* parent) : QSlider(parent) {}

VxSlider::VxSlider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {}

void VxSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const bool horizontal = orientation() == Qt::Horizontal;
    const double handleLength = horizontal ? handle.width() : handle.height();
    const double sliderLength = horizontal ? width() : height();
    const QPointF point = event->position();
    // A vertical slider grows upwards, so its position is measured from the bottom.
    const double position = horizontal ? point.x() : sliderLength - point.y();
    const double usable = std::max(1.0, sliderLength - handleLength);
    const double fraction = std::clamp((position - handleLength / 2) / usable, 0.0, 1.0);
    const int value = minimum() + qRound(double(maximum() - minimum()) * fraction);
    setValue(value);
    Q_EMIT trackClicked(this->value());
    // The handle now lies under the mouse, so the base class starts dragging it rather than
    // stepping a page towards the click.
    QSlider::mousePressEvent(event);
}
