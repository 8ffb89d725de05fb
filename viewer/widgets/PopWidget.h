#pragma once

#include <QWidget>

// A frameless popup that never takes the focus, so that the field it belongs to keeps it.
class PopWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PopWidget(QWidget* parent = nullptr);

    // Shows `content` as the popup's only child.
    void setContent(QWidget* content);

Q_SIGNALS:
    void signalMouseLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
