#pragma once

#include <QSlider>

// A slider whose handle jumps to the point clicked on the track instead of stepping by a page.
class VxSlider : public QSlider
{
    Q_OBJECT

public:
    explicit VxSlider(QWidget* parent = nullptr);
    explicit VxSlider(Qt::Orientation orientation, QWidget* parent = nullptr);

Q_SIGNALS:
    void trackClicked(int value);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
