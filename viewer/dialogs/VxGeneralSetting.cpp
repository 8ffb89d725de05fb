#include "VxGeneralSetting.h"
#include "ui_VxGeneralSetting.h"

#include "AppConfig.h"
#include "VXComboBoxBase.h"
#include "VXMessageBox.h"
#include "VxComboBox.h"
#include "VxDialogFrame.h"
#include "VxFolderCheck.h"
#include "WidgetWindowAgent.h"

#include <QEvent>
#include <QRegularExpressionValidator>
#include <QTabBar>

namespace {

// The stored edge types; the list shows them translated.
const char* const kRisingEdge = "Rising Edge";
const char* const kFallingEdge = "Falling Edge";
// Nine digits keep every value within the 32 bits the configuration stores.
constexpr uint32_t kMaxSeconds = 999999999;

} // namespace

const QStringList& VxGeneralSetting::themeNames()
{
    static const QStringList names = {"Gray", "Dark", "RedBlue", "RedGreen", "Light"};
    return names;
}

VxGeneralSetting::VxGeneralSetting(AppConfig* config, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::VxGeneralSetting), m_windowAgent(new QWK::WidgetWindowAgent(this)),
      m_config(config)
{
    m_ui->setupUi(this);
    VxDialogFrame::setUp(this, m_windowAgent, m_ui->widget_title, m_ui->pb_win_close);
    m_ui->tw_settings->tabBar()->hide();
    m_ui->pb_save->setDefault(true);
    // A theme is picked, not typed.
    m_ui->widget_combobox_color_theme->comboBox()->setEditable(false);
    for (QLineEdit* field : {m_ui->le_trigger_in_before_time, m_ui->le_trigger_in_after_time}) {
        field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), field));
    }
    for (QPushButton* button : {m_ui->pb_add_trigger_in_before_time, m_ui->pb_sub_trigger_in_before_time,
                                m_ui->pb_add_trigger_in_after_time, m_ui->pb_sub_trigger_in_after_time}) {
        button->setAutoRepeat(true);
    }
    applyTexts();
    loadFields();
}

VxGeneralSetting::~VxGeneralSetting()
{
    delete m_ui;
}

void VxGeneralSetting::applyTexts()
{
    m_ui->cb_trigger_in_edge->clear();
    m_ui->cb_trigger_in_edge->addItem(tr("Rising Edge"), kRisingEdge);
    m_ui->cb_trigger_in_edge->addItem(tr("Falling Edge"), kFallingEdge);
    // The names a user reads; the configuration keeps the theme's own name.
    const QString shown[] = {tr("Gray"), tr("Dark"), tr("RedBlue"), tr("RedGreen"), tr("Light")};
    QComboBox* themes = m_ui->widget_combobox_color_theme->comboBox();
    themes->clear();
    for (int i = 0; i < themeNames().size(); ++i) {
        themes->addItem(shown[i], themeNames().at(i));
    }
    m_ui->pb_add_trigger_in_before_time->setToolTip(tr("One second more"));
    m_ui->pb_add_trigger_in_after_time->setToolTip(tr("One second more"));
    m_ui->pb_sub_trigger_in_before_time->setToolTip(tr("One second less"));
    m_ui->pb_sub_trigger_in_after_time->setToolTip(tr("One second less"));
}

void VxGeneralSetting::loadFields()
{
    m_ui->le_default_file_path->setText(m_config->outputRawFilePath());
    m_ui->le_default_video_file_path->setText(m_config->videoSavePath());
    m_ui->sb_trigger_in_rec_enable->setChecked(m_config->dvsTriggerInRecEnable());
    m_ui->cb_trigger_in_edge->setCurrentIndex(m_config->dvsTriggerInRecEdgeType() == kRisingEdge ? 0 : 1);
    m_ui->le_trigger_in_before_time->setText(QString::number(m_config->dvsBeforeTriggerInSaveTime()));
    m_ui->le_trigger_in_after_time->setText(QString::number(m_config->dvsAfterTriggerInSaveTime()));
    const int theme = themeNames().indexOf(m_config->dvsColorType());
    m_ui->widget_combobox_color_theme->comboBox()->setCurrentIndex(std::max(theme, 0));
    m_ui->lw_general_setting_items->setCurrentRow(0);
    m_ui->tw_settings->setCurrentIndex(0);
}

QString VxGeneralSetting::inputProblem() const
{
    const QString rawProblem = VxFolderCheck::problem(m_ui->le_default_file_path->text());
    if (!rawProblem.isEmpty()) {
        return tr("Default Out Raw File Path: %1").arg(rawProblem);
    }
    const QString videoProblem = VxFolderCheck::problem(m_ui->le_default_video_file_path->text());
    if (!videoProblem.isEmpty()) {
        return tr("Default Video File Path: %1").arg(videoProblem);
    }
    return QString();
}

void VxGeneralSetting::on_pb_save_clicked()
{
    const QString problem = inputProblem();
    if (!problem.isEmpty()) {
        m_ui->lw_general_setting_items->setCurrentRow(0);
        showProblem(problem);
        return;
    }
    m_config->setVideoSavePath(m_ui->le_default_video_file_path->text().trimmed());
    m_config->setOutputRawFilePath(m_ui->le_default_file_path->text().trimmed());
    m_config->setDvsTriggerInRecEnable(m_ui->sb_trigger_in_rec_enable->isChecked());
    m_config->setDvsTriggerInRecEdgeType(m_ui->cb_trigger_in_edge->currentData().toString());
    m_config->setDvsBeforeTriggerInSaveTime(m_ui->le_trigger_in_before_time->text().toUInt());
    m_config->setDvsAfterTriggerInSaveTime(m_ui->le_trigger_in_after_time->text().toUInt());
    m_config->setDvsColorType(m_ui->widget_combobox_color_theme->comboBox()->currentData().toString());
    m_config->save();
    emit signalTriggerInSaveFileParamChanged();
    accept();
}

void VxGeneralSetting::showProblem(const QString& problem)
{
    VXMessageBox box(problem, tr("General Settings"), tr("OK"), QString(), this);
    box.exec();
}

void VxGeneralSetting::on_pb_cancel_clicked()
{
    reject();
}

void VxGeneralSetting::on_pb_win_close_clicked()
{
    reject();
}

void VxGeneralSetting::on_pb_select_dir_clicked()
{
    chooseInto(m_ui->le_default_file_path, m_config->outputRawFilePath());
}

void VxGeneralSetting::on_pb_select_video_save_path_clicked()
{
    chooseInto(m_ui->le_default_video_file_path, m_config->videoSavePath());
}

void VxGeneralSetting::chooseInto(QLineEdit* field, const QString& start)
{
    const QString chosen = chooseDirectory(start);
    if (!chosen.isEmpty()) {
        field->setText(chosen);
    }
}

QString VxGeneralSetting::chooseDirectory(const QString& start)
{
    return VxFolderCheck::choose(this, start);
}

void VxGeneralSetting::stepSeconds(QLineEdit* field, int delta)
{
    // A text that is not a number counts as 0; the count stays within [0, kMaxSeconds].
    const uint32_t value = field->text().toUInt();
    uint32_t next = value;
    if (delta < 0) {
        next = value > 0 ? value - 1 : 0;
    } else if (value < kMaxSeconds) {
        next = value + 1;
    }
    field->setText(QString::number(next));
}

void VxGeneralSetting::on_pb_add_trigger_in_before_time_clicked()
{
    stepSeconds(m_ui->le_trigger_in_before_time, 1);
}

void VxGeneralSetting::on_pb_sub_trigger_in_before_time_clicked()
{
    stepSeconds(m_ui->le_trigger_in_before_time, -1);
}

void VxGeneralSetting::on_pb_add_trigger_in_after_time_clicked()
{
    stepSeconds(m_ui->le_trigger_in_after_time, 1);
}

void VxGeneralSetting::on_pb_sub_trigger_in_after_time_clicked()
{
    stepSeconds(m_ui->le_trigger_in_after_time, -1);
}

void VxGeneralSetting::on_lw_general_setting_items_currentRowChanged(int currentRow)
{
    if (currentRow >= 0) {
        m_ui->tw_settings->setCurrentIndex(currentRow);
    }
}

void VxGeneralSetting::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        const int edge = m_ui->cb_trigger_in_edge->currentIndex();
        const int theme = m_ui->widget_combobox_color_theme->comboBox()->currentIndex();
        m_ui->retranslateUi(this);
        applyTexts();
        m_ui->cb_trigger_in_edge->setCurrentIndex(edge);
        m_ui->widget_combobox_color_theme->comboBox()->setCurrentIndex(theme);
    }
    QDialog::changeEvent(event);
}
