#include "VxGraphicsView.h"

#include <QGraphicsScene>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

VxGraphicsView::VxGraphicsView(QWidget* parent) : QGraphicsView(parent)
{
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setRenderHint(QPainter::SmoothPixmapTransform);
    // Hovering reports the pixel under the mouse, with no button held.
    setMouseTracking(true);
}

void VxGraphicsView::fitScene()
{
    if (scene()) {
        fitInView(scene()->sceneRect(), Qt::KeepAspectRatio);
    }
}

void VxGraphicsView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta > 0 && m_scale < kMaxScale) {
        scale(kZoomStep, kZoomStep);
        m_scale *= kZoomStep;
    } else if (delta < 0 && m_scale > 1.0) {
        scale(1.0 / kZoomStep, 1.0 / kZoomStep);
        m_scale /= kZoomStep;
    }
    event->accept();
}

void VxGraphicsView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_scale = 1.0;
    fitScene();
    event->accept();
}

void VxGraphicsView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    m_scale = 1.0;
}

void VxGraphicsView::mouseMoveEvent(QMouseEvent* event)
{
    QGraphicsView::mouseMoveEvent(event);
    const QPointF point = mapToScene(event->position().toPoint());
    if (scene() && scene()->sceneRect().contains(point)) {
        emit signalPixelHovered(QPoint(int(std::floor(point.x())), int(std::floor(point.y()))));
    } else {
        emit signalHoverLeft();
    }
}

void VxGraphicsView::leaveEvent(QEvent* event)
{
    QGraphicsView::leaveEvent(event);
    emit signalHoverLeft();
}
