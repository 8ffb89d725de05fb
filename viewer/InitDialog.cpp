#include "InitDialog.h"
#include "ui_InitDialog.h"

#include "AppStartup.h"

#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QTimer>

InitDialog::InitDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::InitDialog)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setContentsMargins(10, 10, 10, 10);
    setFixedSize(518, 378);

    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor("#444444"));
    shadow->setBlurRadius(30);
    m_ui->frame_init->setGraphicsEffect(shadow);

    qDebug() << "TarvoScope Version: " << AppStartup::kVersion;
    m_ui->lb_version->setText(QString("Version: ") + AppStartup::kVersion);

    QTimer::singleShot(kAutoCloseMs, this, &InitDialog::close);
}

InitDialog::~InitDialog()
{
    delete m_ui;
}

void InitDialog::on_btn_close_clicked()
{
    close();
}

void InitDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
        m_ui->lb_version->setText(QString("Version: ") + AppStartup::kVersion);
    }
    QDialog::changeEvent(event);
}
