#include "PopWidget.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

PopWidget::PopWidget(QWidget* parent) : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 0);
}

void PopWidget::setContent(QWidget* content)
{
    content->setParent(this);
    content->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(content);
}

void PopWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 6, 6);
    painter.fillPath(path, QColor(0xE8, 0xEF, 0xF1));
}

void PopWidget::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    Q_EMIT signalMouseLeft();
}
