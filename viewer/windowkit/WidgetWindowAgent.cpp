#include "WidgetWindowAgent.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTabBar>
#include <QWidget>
#include <QWindow>

namespace QWK {

WidgetWindowAgent::WidgetWindowAgent(QObject* parent) : WindowAgentBase(parent) {}

WidgetWindowAgent::~WidgetWindowAgent()
{
    if (m_window) {
        m_window->removeEventFilter(this);
    }
    if (m_host) {
        m_host->removeEventFilter(this);
    }
}

bool WidgetWindowAgent::setup(QWidget* w)
{
    if (!w || m_host) {
        return false;
    }
    m_host = w;
    m_host->setWindowFlag(Qt::FramelessWindowHint, true);
    m_host->installEventFilter(this);
    attachWindow();
    return true;
}

void WidgetWindowAgent::attachWindow()
{
    QWindow* window = m_host ? m_host->windowHandle() : nullptr;
    if (window == m_window) {
        return;
    }
    if (m_window) {
        m_window->removeEventFilter(this);
    }
    m_window = window;
    // Filtering the window sees every mouse event before any child widget does, which is what
    // a window frame needs: the edges and the title bar are covered by children.
    if (m_window) {
        m_window->installEventFilter(this);
    }
}

void WidgetWindowAgent::setTitleBar(QWidget* w)
{
    m_titleBar = w;
}

QWidget* WidgetWindowAgent::systemButton(SystemButton button) const
{
    return m_systemButtons.value(button);
}

void WidgetWindowAgent::setSystemButton(SystemButton button, QWidget* w)
{
    if (QWidget* previous = m_systemButtons.value(button)) {
        if (button == WindowIcon) {
            disconnect(previous, nullptr, this, nullptr);
        }
    }
    m_systemButtons.insert(button, w);
    if (w && button == WindowIcon) {
        if (auto* iconButton = qobject_cast<QAbstractButton*>(w)) {
            connect(iconButton, &QAbstractButton::clicked, this, [this, iconButton] {
                Q_EMIT systemMenuRequested(iconButton->mapToGlobal(iconButton->rect().bottomLeft()));
            });
        }
    }
}

bool WidgetWindowAgent::isHitTestVisible(const QWidget* w) const
{
    return m_hitTestVisible.contains(w);
}

void WidgetWindowAgent::setHitTestVisible(const QWidget* w, bool visible)
{
    if (!w) {
        return;
    }
    if (!visible) {
        m_hitTestVisible.remove(w);
        return;
    }
    if (!m_hitTestVisible.contains(w)) {
        m_hitTestVisible.insert(w);
        connect(w, &QObject::destroyed, this, [this, w] { m_hitTestVisible.remove(w); });
    }
}

Qt::Edges WidgetWindowAgent::resizeEdgesAt(const QPoint& pos) const
{
    Qt::Edges edges;
    if (!m_resizeEnabled || !m_host || m_host->isMaximized() || m_host->isFullScreen() ||
        m_host->minimumSize() == m_host->maximumSize()) {
        return edges;
    }
    const QRect area = m_host->rect();
    if (!area.contains(pos)) {
        return edges;
    }
    if (pos.x() < m_borderWidth) {
        edges |= Qt::LeftEdge;
    } else if (pos.x() >= area.width() - m_borderWidth) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() < m_borderWidth) {
        edges |= Qt::TopEdge;
    } else if (pos.y() >= area.height() - m_borderWidth) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

bool WidgetWindowAgent::isInteractive(const QWidget* w) const
{
    for (QWidget* button : m_systemButtons) {
        if (button == w) {
            return true;
        }
    }
    // Standard input widgets keep their clicks even when nobody declared them, so that a
    // forgotten declaration never leaves a dead button in the title bar.
    return isHitTestVisible(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QMenuBar*>(w) || qobject_cast<const QTabBar*>(w);
}

bool WidgetWindowAgent::isCaptionAt(const QPoint& pos) const
{
    if (!m_host || !m_titleBar || !m_titleBar->isVisible() || !m_host->isAncestorOf(m_titleBar)) {
        return false;
    }
    if (!m_titleBar->rect().contains(m_titleBar->mapFrom(m_host, pos))) {
        return false;
    }
    for (const QWidget* w = m_host->childAt(pos); w && w != m_titleBar; w = w->parentWidget()) {
        if (isInteractive(w)) {
            return false;
        }
    }
    return true;
}

void WidgetWindowAgent::setEdgeCursor(Qt::Edges edges, const QPoint& pos)
{
    if (!m_window) {
        return;
    }
    if (edges) {
        Qt::CursorShape shape = Qt::SizeVerCursor;
        if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge)) {
            shape = Qt::SizeFDiagCursor;
        } else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge)) {
            shape = Qt::SizeBDiagCursor;
        } else if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
            shape = Qt::SizeHorCursor;
        }
        m_window->setCursor(shape);
        m_cursorOverridden = true;
    } else if (m_cursorOverridden) {
        const QWidget* under = m_host->childAt(pos);
        m_window->setCursor(under ? under->cursor() : m_host->cursor());
        m_cursorOverridden = false;
    }
}

bool WidgetWindowAgent::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_host) {
        if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show) {
            attachWindow();
        }
        return false;
    }
    if (watched == m_window && m_host) {
        return handleWindowEvent(event);
    }
    return false;
}

bool WidgetWindowAgent::handleWindowEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_manualMove) {
            if (mouse->buttons() & Qt::LeftButton) {
                m_window->setPosition(mouse->globalPosition().toPoint() - m_manualMoveOffset);
                return true;
            }
            m_manualMove = false;
        }
        if (mouse->buttons() == Qt::NoButton) {
            const QPoint pos = mouse->position().toPoint();
            const Qt::Edges edges = resizeEdgesAt(pos);
            setEdgeCursor(edges, pos);
            return bool(edges);
        }
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) {
            return false;
        }
        const QPoint pos = mouse->position().toPoint();
        if (const Qt::Edges edges = resizeEdgesAt(pos)) {
            return m_window->startSystemResize(edges);
        }
        if (isCaptionAt(pos)) {
            if (!m_window->startSystemMove()) {
                m_manualMove = true;
                m_manualMoveOffset = mouse->globalPosition().toPoint() - m_window->position();
            }
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (m_manualMove) {
            m_manualMove = false;
            return true;
        }
        return false;
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !isCaptionAt(mouse->position().toPoint()) ||
            m_host->minimumSize() == m_host->maximumSize() || !m_resizeEnabled) {
            return false;
        }
        if (m_host->isMaximized()) {
            m_host->showNormal();
        } else {
            m_host->showMaximized();
        }
        return true;
    }
    case QEvent::Leave:
        if (m_cursorOverridden) {
            m_window->unsetCursor();
            m_cursorOverridden = false;
        }
        return false;
    default:
        return false;
    }
}

} // namespace QWK
