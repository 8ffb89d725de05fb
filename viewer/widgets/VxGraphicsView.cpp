#include "VxGraphicsView.h"

#include <QWheelEvent>

VxGraphicsView::VxGraphicsView(QWidget* parent) : QGraphicsView(parent)
{
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setRenderHint(QPainter::SmoothPixmapTransform);
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
