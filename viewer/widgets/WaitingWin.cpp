#include "WaitingWin.h"
#include "ui_WaitingWin.h"

#include <QDebug>
#include <QMovie>

WaitingWin::WaitingWin(QWidget* centerOn)
    : QDialog(centerOn), m_ui(new Ui::WaitingWin), m_centerOn(centerOn),
      m_movie(new QMovie(kAnimation, QByteArray(), this))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    m_movie->setScaledSize(m_ui->label_waiting->minimumSize());
    m_ui->label_waiting->setMovie(m_movie);
}

WaitingWin::~WaitingWin()
{
    delete m_ui;
}

void WaitingWin::centerOnWidget()
{
    if (!m_centerOn) {
        return;
    }
    const QPoint center = m_centerOn->mapToGlobal(m_centerOn->rect().center());
    move(center - QPoint(width() / 2, height() / 2));
}

void WaitingWin::showEvent(QShowEvent* event)
{
    centerOnWidget();
    if (!m_movie->isValid()) {
        qDebug() << "GIF is not valid or not found";
    } else {
        m_movie->start();
    }
    QDialog::showEvent(event);
}

void WaitingWin::closeEvent(QCloseEvent* event)
{
    m_movie->stop();
    QDialog::closeEvent(event);
}

void WaitingWin::hideEvent(QHideEvent* event)
{
    // QDialog::done() hides without a close event; the animation must not run unseen.
    m_movie->stop();
    QDialog::hideEvent(event);
}
