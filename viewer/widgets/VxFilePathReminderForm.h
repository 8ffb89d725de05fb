#pragma once

#include "VxMessageType.h"

#include <QTimer>
#include <QWidget>

namespace Ui {
class VxFilePathReminderForm;
}

// A toast: a short notice of success, warning or error that removes itself after five
// seconds, optionally with a button that opens the folder of a file just written. Create it
// with new: it deletes itself.
class VxFilePathReminderForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kLifetimeMs = 5000;

    VxFilePathReminderForm(const QString& text, VxMessageType type, const QString& filePath,
                           QWidget* parent = nullptr);
    ~VxFilePathReminderForm() override;

    VxMessageType type() const { return m_type; }
    QString filePath() const { return m_filePath; }
    const QTimer& lifetimeTimer() const { return m_lifetimeTimer; }

public Q_SLOTS:
    // "Timeup" is the interface's own spelling, kept on purpose.
    void onTimeupDestroy();
    void on_pb_open_dir_clicked();
    void on_pb_close_clicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyType();

    Ui::VxFilePathReminderForm* m_ui;
    VxMessageType m_type;
    QString m_filePath;
    QTimer m_lifetimeTimer;
};
