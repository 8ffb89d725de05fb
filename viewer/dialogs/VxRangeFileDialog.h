#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;

namespace QWK {
class WidgetWindowAgent;
}
namespace Ui {
class VxExportVideoUI;
}

// The form shared by the export and cut dialogs: a time range of the open recording, a target
// directory and a file name. The time fields take digits only; "Export" / "Cut" checks the
// fields and explains what is wrong instead of accepting a range or folder that cannot work.
class VxRangeFileDialog : public QDialog
{
    Q_OBJECT

public:
    // How far the +/- buttons move a time.
    static constexpr uint64_t kTimeStepUs = 100000;

    ~VxRangeFileDialog() override;

    // The recording's first and last timestamps: the range must lie within them, and the step
    // buttons stop there.
    void setRecordingRange(uint64_t first, uint64_t last);
    void setStartTime(uint64_t timestamp_us);
    void setEndTime(uint64_t timestamp_us);
    void setDirectory(const QString& directory);
    void setFileName(const QString& name);
    // Decimal text to microseconds; a text that is not a number gives 0.
    uint64_t startTime() const;
    uint64_t endTime() const;
    QString directory() const;
    QString fileName() const;
    // Directory, a slash and the file name.
    QString fullPath() const;
    // Why the fields cannot be used as they are, or empty when they can.
    QString inputProblem() const;

public Q_SLOTS:
    void on_pb_save_clicked();
    void on_pb_cancel_clicked();
    void on_pb_win_close_clicked();
    void on_pb_select_dir_clicked();
    void on_pb_start_time_plus_clicked();
    void on_pb_start_time_sub_clicked();
    void on_pb_end_time_plus_clicked();
    void on_pb_end_time_sub_clicked();

protected:
    explicit VxRangeFileDialog(QWidget* parent);
    void changeEvent(QEvent* event) override;
    // Puts the dialog's own title and button text into the form.
    virtual void applyOwnTexts() = 0;
    // Answers the directory chooser; tests replace it.
    virtual QString chooseDirectory(const QString& start);
    // Tells the user what keeps the fields from being used (a message box).
    virtual void showProblem(const QString& problem);

    Ui::VxExportVideoUI* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;

private:
    void applyTexts();
    // Moves the time in `field` by `delta` microseconds, within the recording.
    void stepTime(QLineEdit* field, int64_t delta);

    bool m_hasRecordingRange = false;
    uint64_t m_first = 0;
    uint64_t m_last = 0;
};

// "Save as...": a range of the recording to an MP4 video.
class VxExportVideoUI : public VxRangeFileDialog
{
    Q_OBJECT

public:
    explicit VxExportVideoUI(QWidget* parent = nullptr);

protected:
    void applyOwnTexts() override;
};

// "Cut Recording": a range of the recording to a new RAW file.
class VxCutRawFile : public VxRangeFileDialog
{
    Q_OBJECT

public:
    explicit VxCutRawFile(QWidget* parent = nullptr);

protected:
    void applyOwnTexts() override;
};
