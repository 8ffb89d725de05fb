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

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double m_scale = 1.0;
};
