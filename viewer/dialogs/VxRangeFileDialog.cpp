#include "VxRangeFileDialog.h"
#include "ui_VxExportVideoUI.h"

#include "WidgetWindowAgent.h"

#include <QEvent>
#include <QFileDialog>

VxRangeFileDialog::VxRangeFileDialog(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::VxExportVideoUI), m_windowAgent(new QWK::WidgetWindowAgent(this))
{
    m_ui->setupUi(this);
    setModal(true);
    setAttribute(Qt::WA_TranslucentBackground);
    m_windowAgent->setup(this);
    m_windowAgent->setTitleBar(m_ui->widget_title);
    m_windowAgent->setSystemButton(QWK::WindowAgentBase::Close, m_ui->pb_win_close);
    m_windowAgent->setResizeEnabled(false);
    m_ui->pb_save->setDefault(true);
}

VxRangeFileDialog::~VxRangeFileDialog()
{
    delete m_ui;
}

void VxRangeFileDialog::setStartTime(uint64_t timestamp_us)
{
    m_ui->le_start_time->setText(QString::number(timestamp_us));
}

void VxRangeFileDialog::setEndTime(uint64_t timestamp_us)
{
    m_ui->le_end_time->setText(QString::number(timestamp_us));
}

void VxRangeFileDialog::setDirectory(const QString& directory)
{
    m_ui->le_save_file_path->setText(directory);
}

void VxRangeFileDialog::setFileName(const QString& name)
{
    m_ui->le_file_name->setText(name);
}

uint64_t VxRangeFileDialog::startTime() const
{
    return m_ui->le_start_time->text().trimmed().toULongLong();
}

uint64_t VxRangeFileDialog::endTime() const
{
    return m_ui->le_end_time->text().trimmed().toULongLong();
}

QString VxRangeFileDialog::directory() const
{
    return m_ui->le_save_file_path->text();
}

QString VxRangeFileDialog::fileName() const
{
    return m_ui->le_file_name->text();
}

QString VxRangeFileDialog::fullPath() const
{
    return directory() + "/" + fileName();
}

void VxRangeFileDialog::on_pb_save_clicked()
{
    accept();
}

void VxRangeFileDialog::on_pb_cancel_clicked()
{
    close();
}

void VxRangeFileDialog::on_pb_win_close_clicked()
{
    close();
}

void VxRangeFileDialog::on_pb_select_dir_clicked()
{
    const QString chosen = chooseDirectory(m_ui->le_save_file_path->text());
    if (!chosen.isEmpty()) {
        m_ui->le_save_file_path->setText(chosen);
    }
}

QString VxRangeFileDialog::chooseDirectory(const QString& start)
{
    return QFileDialog::getExistingDirectory(this, tr("Select Directory"), start,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

void VxRangeFileDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        const QString name = m_ui->le_file_name->text();
        m_ui->retranslateUi(this);
        applyTexts();
        m_ui->le_file_name->setText(name);
    }
    QDialog::changeEvent(event);
}

VxExportVideoUI::VxExportVideoUI(QWidget* parent) : VxRangeFileDialog(parent)
{
    applyTexts();
    m_ui->le_file_name->setText("xxx.mp4");
}

void VxExportVideoUI::applyTexts()
{
    setWindowTitle(tr("Export a video"));
    m_ui->lb_title->setText(tr("Export a video"));
    m_ui->lb_start_time->setText(tr("Start Time"));
    m_ui->lb_end_time->setText(tr("End Time"));
    m_ui->lb_save_file_path->setText(tr("Save File Path"));
    m_ui->lb_file_name->setText(tr("File Name"));
    m_ui->pb_cancel->setText(tr("Cancel"));
    m_ui->pb_save->setText(tr("Export"));
}

VxCutRawFile::VxCutRawFile(QWidget* parent) : VxRangeFileDialog(parent)
{
    applyTexts();
    m_ui->le_file_name->setText("xxx.raw");
}

void VxCutRawFile::applyTexts()
{
    setWindowTitle(tr("Cut Recording"));
    m_ui->lb_title->setText(tr("Cut Recording"));
    m_ui->lb_start_time->setText(tr("Start Time"));
    m_ui->lb_end_time->setText(tr("End Time"));
    m_ui->lb_save_file_path->setText(tr("Save File Path"));
    m_ui->lb_file_name->setText(tr("File Name"));
    m_ui->pb_cancel->setText(tr("Cancel"));
    m_ui->pb_save->setText(tr("Cut"));
}
