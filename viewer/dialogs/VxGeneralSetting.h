#pragma once

#include <QDialog>

class AppConfig;
class QLineEdit;

namespace QWK {
class WidgetWindowAgent;
}
namespace Ui {
class VxGeneralSetting;
}

// The general settings: trigger-in recording times, the default folders and the event colour
// theme. It shows what the configuration holds; Save checks the folders, stores every field and
// writes config.ini; Cancel and the close button leave everything as it was.
class VxGeneralSetting : public QDialog
{
    Q_OBJECT

public:
    // The colour themes in the order the list offers them.
    static const QStringList& themeNames();

    explicit VxGeneralSetting(AppConfig* config, QWidget* parent = nullptr);
    ~VxGeneralSetting() override;

    // Why the fields cannot be saved as they are, or empty when they can.
    QString inputProblem() const;

Q_SIGNALS:
    void signalTriggerInSaveFileParamChanged();

public Q_SLOTS:
    void on_pb_win_close_clicked();
    void on_pb_cancel_clicked();
    void on_pb_save_clicked();
    void on_pb_select_dir_clicked();
    void on_pb_select_video_save_path_clicked();
    void on_pb_add_trigger_in_before_time_clicked();
    void on_pb_sub_trigger_in_before_time_clicked();
    void on_pb_add_trigger_in_after_time_clicked();
    void on_pb_sub_trigger_in_after_time_clicked();
    void on_lw_general_setting_items_currentRowChanged(int currentRow);

protected:
    void changeEvent(QEvent* event) override;
    // Answers the directory chooser; tests replace it.
    virtual QString chooseDirectory(const QString& start);
    // Tells the user what keeps the fields from being saved (a message box).
    virtual void showProblem(const QString& problem);

private:
    void applyTexts();
    void loadFields();
    void stepSeconds(QLineEdit* field, int delta);
    // Puts the folder the user chooses into `field`; a cancelled choice leaves it as it was.
    void chooseInto(QLineEdit* field, const QString& start);

    Ui::VxGeneralSetting* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;
    AppConfig* m_config;
};
