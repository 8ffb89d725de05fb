#pragma once

#include "VxMessageType.h"

#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class AppConfig;

namespace QWK {
class WidgetWindowAgent;
}
namespace Ui {
class MainWidget;
}

// The viewer's main window: a frameless window with its own title bar, menus, the image view
// and a status line.
class MainWidget : public QWidget
{
    Q_OBJECT

public:
    // Starts a fresh copy of the program; true when it was started.
    using RestartLauncher = std::function<bool()>;

    explicit MainWidget(QWidget* parent = nullptr);
    ~MainWidget() override;

    // Replaces how the program restarts after a language switch (tests start nothing).
    void setRestartLauncher(RestartLauncher launcher) { m_restartLauncher = std::move(launcher); }
    QWK::WidgetWindowAgent* windowAgent() const { return m_windowAgent; }

Q_SIGNALS:
    void signalShowLeftBottomTips(QString text, VxMessageType type, QString file_path);

public Q_SLOTS:
    void on_pb_win_min_clicked();
    void on_pb_win_max_clicked();
    void on_pb_win_close_clicked();
    void maximizedChanged(bool maximized);
    void openActionSlot(QAction* action);
    void slotShowLeftBottomTips(QString text, VxMessageType type, QString file_path);
    // Asks whether to restart in the other language and does so on consent.
    void slotSwitchLanguage();
    // Asks whether to open the maker's web page in the browser.
    void slotOpenWebPage();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createMenus();
    void setTitleBarCorners(bool rounded);

    Ui::MainWidget* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;
    AppConfig* m_appConfig = nullptr;
    RestartLauncher m_restartLauncher;

    QString m_textQuit;
    QString m_textLanguage;
    QString m_textAboutUs;
    QMenu* m_menuFile = nullptr;
    QMenu* m_menuSetting = nullptr;
    QMenu* m_menuHelp = nullptr;
};
