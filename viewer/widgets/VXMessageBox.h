#pragma once

#include <QDialog>

namespace Ui {
class VXMessageBox;
}
namespace QWK {
class WidgetWindowAgent;
}

// The viewer's own question box: a title bar in the accent colour, a message and two buttons
// (one when the reject text is empty). exec() returns Accepted for the accept button and
// Rejected for the other and the close box.
class VXMessageBox : public QDialog
{
    Q_OBJECT

public:
    VXMessageBox(const QString& message, const QString& title, const QString& acceptText,
                 const QString& rejectText, QWidget* parent = nullptr);
    ~VXMessageBox() override;

    QString message() const;

public Q_SLOTS:
    void on_pb_open_clicked();
    void on_pb_close_clicked();
    void on_pb_win_close_clicked();

private:
    Ui::VXMessageBox* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;
};
