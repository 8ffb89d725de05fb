#include "VXMessageBox.h"
#include "ui_VXMessageBox.h"

#include "VxDialogFrame.h"
#include "WidgetWindowAgent.h"

VXMessageBox::VXMessageBox(const QString& message, const QString& title, const QString& acceptText,
                           const QString& rejectText, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::VXMessageBox), m_windowAgent(new QWK::WidgetWindowAgent(this))
{
    m_ui->setupUi(this);
    VxDialogFrame::setUp(this, m_windowAgent, m_ui->widget_title_bar, m_ui->pb_win_close);

    setWindowTitle(title);
    m_ui->lb_title->setText(title);
    m_ui->lb_show_message->setText(message);
    m_ui->pb_open->setText(acceptText);
    m_ui->pb_close->setText(rejectText);
    // A notice with nothing to choose has the accept button only.
    m_ui->pb_close->setVisible(!rejectText.isEmpty());
    m_ui->pb_open->setDefault(true);
}

VXMessageBox::~VXMessageBox()
{
    delete m_ui;
}

QString VXMessageBox::message() const
{
    return m_ui->lb_show_message->text();
}

void VXMessageBox::on_pb_open_clicked()
{
    accept();
}

void VXMessageBox::on_pb_close_clicked()
{
    reject();
}

void VXMessageBox::on_pb_win_close_clicked()
{
    reject();
}
