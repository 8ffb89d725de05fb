#pragma once

#include <QLineEdit>

// A centred, styled line edit that reports when the mouse enters and leaves it.
class VxLineEditBase : public QLineEdit
{
    Q_OBJECT

public:
    explicit VxLineEditBase(QWidget* parent = nullptr);

Q_SIGNALS:
    // "Hoverd" is the interface's own spelling, kept on purpose.
    void signalMouseHoverd(bool hovered);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
