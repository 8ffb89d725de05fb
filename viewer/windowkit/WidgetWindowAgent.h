#pragma once

#include "WindowAgentBase.h"

#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QSet>

class QWidget;
class QWindow;

namespace QWK {

// Makes a top-level widget frameless and gives it back what the window frame did: moving by
// dragging its own title bar (double click maximises), resizing at its edges, and system
// buttons. Moving and resizing go through the window system (QWindow::startSystemMove and
// startSystemResize); where that is refused the window is moved by hand.
class WidgetWindowAgent : public WindowAgentBase
{
    Q_OBJECT

public:
    explicit WidgetWindowAgent(QObject* parent = nullptr);
    ~WidgetWindowAgent() override;

    // Takes over the frame of the top-level widget `w`; false when it is null or already set up.
    bool setup(QWidget* w);
    QWidget* hostWidget() const { return m_host; }

    QWidget* titleBar() const { return m_titleBar; }
    void setTitleBar(QWidget* w);

    QWidget* systemButton(SystemButton button) const;
    void setSystemButton(SystemButton button, QWidget* w);

    // A hit-test visible child of the title bar takes its own clicks instead of moving the window.
    bool isHitTestVisible(const QWidget* w) const;
    void setHitTestVisible(const QWidget* w, bool visible = true);

    // Width of the band along the edges in which the mouse resizes the window.
    int resizeBorderWidth() const { return m_borderWidth; }
    void setResizeBorderWidth(int pixels) { m_borderWidth = pixels; }
    bool isResizeEnabled() const { return m_resizeEnabled; }
    void setResizeEnabled(bool enabled) { m_resizeEnabled = enabled; }

    // Edges the mouse would resize at `pos` (host coordinates); none when maximised.
    Qt::Edges resizeEdgesAt(const QPoint& pos) const;
    // True where a press at `pos` (host coordinates) moves the window.
    bool isCaptionAt(const QPoint& pos) const;

Q_SIGNALS:
    // The window icon was clicked; `pos` is where a system menu would open (global).
    void systemMenuRequested(const QPoint& pos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attachWindow();
    bool handleWindowEvent(QEvent* event);
    void setEdgeCursor(Qt::Edges edges, const QPoint& pos);
    bool isInteractive(const QWidget* w) const;

    QPointer<QWidget> m_host;
    QPointer<QWindow> m_window;
    QPointer<QWidget> m_titleBar;
    QHash<SystemButton, QPointer<QWidget>> m_systemButtons;
    QSet<const QWidget*> m_hitTestVisible;
    int m_borderWidth = 6;
    bool m_resizeEnabled = true;
    bool m_cursorOverridden = false;
    // Moving by hand when the window system will not move the window itself.
    bool m_manualMove = false;
    QPoint m_manualMoveOffset;
};

} // namespace QWK
