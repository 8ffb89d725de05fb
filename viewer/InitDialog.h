#pragma once

#include <QDialog>

namespace Ui {
class InitDialog;
}

// The splash dialog: logo, version and notice; closes itself after two seconds.
class InitDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kAutoCloseMs = 2000;

    explicit InitDialog(QWidget* parent = nullptr);
    ~InitDialog() override;

public Q_SLOTS:
    void on_btn_close_clicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    Ui::InitDialog* m_ui;
};
