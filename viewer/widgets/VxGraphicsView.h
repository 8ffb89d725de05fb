#pragma once

#include <QGraphicsView>

// The image view: drag to pan, wheel to zoom (up to 50 times the fitted size), double click
// to fit the whole image again.
class VxGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    static constexpr double kZoomStep = 1.1;
    static constexpr double kMaxScale = 50.0;

    explicit VxGraphicsView(QWidget* parent = nullptr);

    // Zoom relative to the fitted image.
    double currentScale() const { return m_scale; }
    void fitScene();

Q_SIGNALS:
    // The image pixel under the mouse (scene coordinates, one unit a pixel).
    void signalPixelHovered(QPoint pixel);
    // The mouse left the image.
    void signalHoverLeft();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    double m_scale = 1.0;
};
