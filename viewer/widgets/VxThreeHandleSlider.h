#pragma once

#include <QVector>
#include <QWidget>

#include <cstdint>
#include <functional>

class QPainter;

// The timeline: a position (centre) handle between a lower and an upper range handle, over
// unsigned 64-bit values (microseconds of a recording). Mode 1 moves the centre only; mode 3
// also lets the user narrow the range. Given an activity profile, a thin strip under the track
// shows how busy each part of the span is.
class VxThreeHandleSlider : public QWidget
{
    Q_OBJECT

public:
    enum Mode
    {
        CenterOnly = 1,
        CenterAndRange = 3,
    };

    explicit VxThreeHandleSlider(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

    uint64_t minimum() const { return m_minimum; }
    uint64_t maximum() const { return m_maximum; }
    uint64_t lowerValue() const { return m_lowerValue; }
    uint64_t upperValue() const { return m_upperValue; }
    uint64_t centerValue() const { return m_centerValue; }
    uint64_t span() const { return m_span; }
    Qt::Orientation orientation() const { return m_orientation; }
    int mode() const { return m_mode; }
    // Sets the mode and puts both range handles back at the ends.
    void setMode(int mode);
    // Puts both range handles back at the ends and says so.
    void resetRange();
    // How a value reads in the tooltip shown while a handle is dragged (plain digits otherwise).
    void setValueFormatter(std::function<QString(uint64_t)> formatter) { m_formatter = std::move(formatter); }
    // The selected range: the range handles in mode 3, otherwise the whole span.
    uint64_t rangeStart() const;
    uint64_t rangeEnd() const;

    // How busy the span is, in equal slices from minimum to maximum (any unit: the strip is
    // scaled to the largest value); empty removes the strip.
    void setActivity(const QVector<double>& levels);
    const QVector<double>& activity() const { return m_activity; }
    // Where the strip is drawn (empty without an activity profile); horizontal sliders only.
    QRect activityRect() const;

    // Axis position (pixels from the start of the track) of the middle of a handle at value.
    double positionForValue(uint64_t value) const;
    // The value under an axis position, clamped to [minimum, maximum].
    uint64_t valueForPosition(double position) const;
    QRect centerHandleRect() const;
    QRect lowerHandleRect() const;
    QRect upperHandleRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setLowerValue(uint64_t aLowerValue);
    void setUpperValue(uint64_t aUpperValue);
    void setCenterValue(uint64_t center_value);
    void setMinimum(uint64_t aMinimum);
    void setMaximum(uint64_t aMaximum);

Q_SIGNALS:
    void lowerValueChanged(uint64_t aLowerValue);
    void upperValueChanged(uint64_t aUpperValue);
    void rangeChanged(uint64_t minimum, uint64_t maximum);
    void centerValueChanged(uint64_t center_value);
    void centerValueTrackClick(uint64_t value);
    void centerValueMove(uint64_t value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Handle
    {
        None,
        Center,
        Lower,
        Upper,
    };

    double axisPosition(const QPointF& point) const;
    int axisLength() const;
    int crossLength() const;
    // The part of the cross length that holds the track and the handles, the strip left out.
    int trackCross() const;
    int stripSpace() const;
    QRect handleRect(uint64_t value, int length, int thickness) const;
    // Keeps minimum <= lower <= centre <= upper <= top of the range after any change.
    void normalize();
    void paintActivity(QPainter& painter, const QRectF& strip) const;
    // Shows the dragged handle's value beside it.
    void showValueTip(uint64_t value, const QRect& handle);

    Qt::Orientation m_orientation;
    int m_mode = CenterOnly;
    uint64_t m_minimum = 0;
    uint64_t m_maximum = 0;
    uint64_t m_lowerValue = 0;
    uint64_t m_upperValue = 0;
    uint64_t m_centerValue = 0;
    uint64_t m_span = 0;
    int m_centerHandleSize = 14;
    int m_rangeHandleSize = 8;
    Handle m_dragged = Handle::None;
    double m_dragOffset = 0; // mouse position minus handle middle when the drag began
    std::function<QString(uint64_t)> m_formatter;
    QVector<double> m_activity;
};
