#include "VxRangeFileDialog.h"
#include "ui_VxExportVideoUI.h"

#include "VXMessageBox.h"
#include "VxDialogFrame.h"
#include "VxFolderCheck.h"
#include "WidgetWindowAgent.h"

#include <QEvent>
#include <QRegularExpressionValidator>

#include <limits>

VxRangeFileDialog::VxRangeFileDialog(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::VxExportVideoUI), m_windowAgent(new QWK::WidgetWindowAgent(this))
{
    m_ui->setupUi(this);
    VxDialogFrame::setUp(this, m_windowAgent, m_ui->widget_title, m_ui->pb_win_close);
    m_ui->pb_save->setDefault(true);
    // Microseconds are whole numbers: letters and signs cannot be typed or pasted.
    for (QLineEdit* field : {m_ui->le_start_time, m_ui->le_end_time}) {
        field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,20}"), field));
    }
    // Held down, the step buttons keep stepping.
    for (QPushButton* button :
         {m_ui->pb_start_time_plus, m_ui->pb_start_time_sub, m_ui->pb_end_time_plus, m_ui->pb_end_time_sub}) {
        button->setAutoRepeat(true);
    }
    applyTexts();
}

VxRangeFileDialog::~VxRangeFileDialog()
{
    delete m_ui;
}

void VxRangeFileDialog::applyTexts()
{
    m_ui->lb_start_time->setText(tr("Start Time"));
    m_ui->lb_end_time->setText(tr("End Time"));
    m_ui->lb_start_time_unit->setText(tr("µs"));
    m_ui->lb_end_time_unit->setText(tr("µs"));
    m_ui->lb_save_file_path->setText(tr("Save File Path"));
    m_ui->lb_file_name->setText(tr("File Name"));
    m_ui->pb_cancel->setText(tr("Cancel"));
    m_ui->pb_start_time_plus->setToolTip(tr("0.1 s later"));
    m_ui->pb_end_time_plus->setToolTip(tr("0.1 s later"));
    m_ui->pb_start_time_sub->setToolTip(tr("0.1 s earlier"));
    m_ui->pb_end_time_sub->setToolTip(tr("0.1 s earlier"));
}

void VxRangeFileDialog::setRecordingRange(uint64_t first, uint64_t last)
{
    m_hasRecordingRange = true;
    m_first = first;
    m_last = std::max(first, last);
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

QString VxRangeFileDialog::inputProblem() const
{
    bool startIsNumber = false;
    bool endIsNumber = false;
    const uint64_t start = m_ui->le_start_time->text().trimmed().toULongLong(&startIsNumber);
    const uint64_t end = m_ui->le_end_time->text().trimmed().toULongLong(&endIsNumber);
    if (!startIsNumber) {
        return tr("The start time must be a whole number of microseconds.");
    }
    if (!endIsNumber) {
        return tr("The end time must be a whole number of microseconds.");
    }
    if (start == end) {
        return tr("The range is empty: the start time equals the end time.");
    }
    if (start > end) {
        return tr("The start time lies after the end time.");
    }
    if (m_hasRecordingRange && (start < m_first || end > m_last)) {
        return tr("The range must lie within the recording, from %1 to %2 µs.").arg(m_first).arg(m_last);
    }
    const QString folderProblem = VxFolderCheck::problem(directory());
    if (!folderProblem.isEmpty()) {
        return folderProblem;
    }
    const QString name = fileName().trimmed();
    if (name.isEmpty() || name.contains('/')) {
        return tr("Enter a file name (without a folder).");
    }
    return QString();
}

void VxRangeFileDialog::on_pb_save_clicked()
{
    const QString problem = inputProblem();
    if (!problem.isEmpty()) {
        showProblem(problem);
        return;
    }
    accept();
}

void VxRangeFileDialog::showProblem(const QString& problem)
{
    VXMessageBox box(problem, windowTitle(), tr("OK"), QString(), this);
    box.exec();
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
    return VxFolderCheck::choose(this, start);
}

void VxRangeFileDialog::stepTime(QLineEdit* field, int64_t delta)
{
    const uint64_t low = m_hasRecordingRange ? m_first : 0;
    const uint64_t high = m_hasRecordingRange ? m_last : std::numeric_limits<uint64_t>::max();
    bool isNumber = false;
    uint64_t value = field->text().trimmed().toULongLong(&isNumber);
    if (!isNumber) {
        value = low;
    } else if (delta < 0) {
        const uint64_t back = uint64_t(-delta);
        value = value > low && value - low > back ? value - back : low;
    } else {
        value = value < high && high - value > uint64_t(delta) ? value + uint64_t(delta) : high;
    }
    field->setText(QString::number(std::clamp(value, low, high)));
}

void VxRangeFileDialog::on_pb_start_time_plus_clicked()
{
    stepTime(m_ui->le_start_time, int64_t(kTimeStepUs));
}

void VxRangeFileDialog::on_pb_start_time_sub_clicked()
{
    stepTime(m_ui->le_start_time, -int64_t(kTimeStepUs));
}

void VxRangeFileDialog::on_pb_end_time_plus_clicked()
{
    stepTime(m_ui->le_end_time, int64_t(kTimeStepUs));
}

void VxRangeFileDialog::on_pb_end_time_sub_clicked()
{
    stepTime(m_ui->le_end_time, -int64_t(kTimeStepUs));
}

void VxRangeFileDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        const QString name = m_ui->le_file_name->text();
        m_ui->retranslateUi(this);
        applyTexts();
        applyOwnTexts();
        m_ui->le_file_name->setText(name);
    }
    QDialog::changeEvent(event);
}

VxExportVideoUI::VxExportVideoUI(QWidget* parent) : VxRangeFileDialog(parent)
{
    applyOwnTexts();
    m_ui->le_file_name->setText("xxx.mp4");
}

void VxExportVideoUI::applyOwnTexts()
{
    setWindowTitle(tr("Export a video"));
    m_ui->lb_title->setText(tr("Export a video"));
    m_ui->pb_save->setText(tr("Export"));
}

VxCutRawFile::VxCutRawFile(QWidget* parent) : VxRangeFileDialog(parent)
{
    applyOwnTexts();
    m_ui->le_file_name->setText("xxx.raw");
}

void VxCutRawFile::applyOwnTexts()
{
    setWindowTitle(tr("Cut Recording"));
    m_ui->lb_title->setText(tr("Cut Recording"));
    m_ui->pb_save->setText(tr("Cut"));
}
