#pragma once

#include <QDialog>

#include <cstdint>

namespace QWK {
class WidgetWindowAgent;
}
namespace Ui {
class VxExportVideoUI;
}

// The form shared by the export and cut dialogs: a time range of the open recording, a target
// directory and a file name. Nothing is validated: the user may edit every field freely.
class VxRangeFileDialog : public QDialog
{
    Q_OBJECT

public:
    ~VxRangeFileDialog() override;

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

public Q_SLOTS:
    void on_pb_save_clicked();
    void on_pb_cancel_clicked();
    void on_pb_win_close_clicked();
    void on_pb_select_dir_clicked();

protected:
    explicit VxRangeFileDialog(QWidget* parent);
    void changeEvent(QEvent* event) override;
    // Puts the dialog's own title, button text and default file name into the form.
    virtual void applyTexts() = 0;
    // Answers the directory chooser; tests replace it.
    virtual QString chooseDirectory(const QString& start);

    Ui::VxExportVideoUI* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;
};

// "Save as...": a range of the recording to an MP4 video.
class VxExportVideoUI : public VxRangeFileDialog
{
    Q_OBJECT

public:
    explicit VxExportVideoUI(QWidget* parent = nullptr);

protected:
    void applyTexts() override;
};

// "Cut Recording": a range of the recording to a new RAW file.
class VxCutRawFile : public VxRangeFileDialog
{
    Q_OBJECT

public:
    explicit VxCutRawFile(QWidget* parent = nullptr);

protected:
    void applyTexts() override;
};
