#pragma once

#include <QDialog>
#include <QPointer>

class QMovie;

namespace Ui {
class WaitingWin;
}

// The busy indicator: an animated image in a frameless window kept centred over a widget.
class WaitingWin : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kAnimation = ":/img/icon/waiting.gif";

    explicit WaitingWin(QWidget* centerOn);
    ~WaitingWin() override;

    // Moves the window so that its centre lies on the centre of its widget.
    void centerOnWidget();
    QMovie* movie() const { return m_movie; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Ui::WaitingWin* m_ui;
    QPointer<QWidget> m_centerOn;
    QMovie* m_movie;
};
