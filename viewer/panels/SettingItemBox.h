#pragma once

#include <QWidget>

namespace Ui {
class SettingItemBox;
}

// A foldable group of setting rows: a title bar with a fold button, and the rows below it. It
// starts folded; the button or a click on the title bar opens and closes it.
class SettingItemBox : public QWidget
{
    Q_OBJECT

public:
    explicit SettingItemBox(const QString& title, QWidget* parent = nullptr);
    ~SettingItemBox() override;

    void addRow(QWidget* row);
    QString title() const;
    void setTitle(const QString& title);
    bool isFolded() const;
    void setFolded(bool folded);

public Q_SLOTS:
    // `checked` is the button's state: down means open.
    void on_pb_fold_clicked(bool checked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Ui::SettingItemBox* m_ui;
};
