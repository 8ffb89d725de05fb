#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace Ui {
class VxToolTip;
}

// A tooltip that appears above its target after the mouse has rested on it for two seconds and
// stays for three; leaving the target hides it shortly after.
class VxToolTip : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(int x_offset READ xOffset WRITE setXOffset NOTIFY xOffsetChanged)
    Q_PROPERTY(int y_offset READ yOffset WRITE setYOffset NOTIFY yOffsetChanged)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment NOTIFY alignmentChanged)

public:
    // Placement modes: centred over the target, or ending at the target's left edge.
    enum AlignmentMode
    {
        AlignCenterAbove = 0,
        AlignLeftOfTarget = 2,
    };
    static constexpr int kShowDelayMs = 2000;
    static constexpr int kShowDurationMs = 3000;
    static constexpr int kLeaveDelayMs = 300;

    VxToolTip(const QString& text, int alignmentMode, QWidget* parent = nullptr);
    ~VxToolTip() override;

    // Follows the target's enter and leave events, replacing the previous target.
    void attachToWidget(QWidget* target);
    QWidget* targetWidget() const { return m_target; }

    int xOffset() const { return m_xOffset; }
    void setXOffset(int offset);
    int yOffset() const { return m_yOffset; }
    void setYOffset(int offset);
    QString text() const;
    void setText(const QString& text);
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);
    int alignmentMode() const { return m_alignmentMode; }

    const QTimer& showTimer() const { return m_showTimer; }
    const QTimer& hideTimer() const { return m_hideTimer; }

Q_SIGNALS:
    void xOffsetChanged(int offset);
    void yOffsetChanged(int offset);
    void textChanged(const QString& text);
    void alignmentChanged(Qt::Alignment alignment);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeOverTarget();
    void onShowTimeout();
    void onHideTimeout();

    Ui::VxToolTip* m_ui;
    QPointer<QWidget> m_target;
    int m_alignmentMode;
    int m_xOffset = 0;
    int m_yOffset = -4; // a small gap between the tip and its target
    QTimer m_showTimer;
    QTimer m_hideTimer;
};
