#include "MainWidget.h"
#include "ui_MainWidget.h"

#include "AppConfig.h"
#include "AppStartup.h"
#include "VXMessageBox.h"
#include "VxFilePathReminderForm.h"
#include "WidgetWindowAgent.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QUrl>

MainWidget::MainWidget(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::MainWidget), m_windowAgent(new QWK::WidgetWindowAgent(this))
{
    m_ui->setupUi(this);

    m_windowAgent->setup(this);
    m_windowAgent->setTitleBar(m_ui->widget_title_bar);
    m_windowAgent->setSystemButton(QWK::WindowAgentBase::WindowIcon, m_ui->pb_logo_button);
    m_windowAgent->setSystemButton(QWK::WindowAgentBase::Minimize, m_ui->pb_win_min);
    m_windowAgent->setSystemButton(QWK::WindowAgentBase::Maximize, m_ui->pb_win_max);
    m_windowAgent->setSystemButton(QWK::WindowAgentBase::Close, m_ui->pb_win_close);
    m_windowAgent->setHitTestVisible(m_ui->frame_menu_button);

    m_textQuit = tr("Quit");
    m_textLanguage = tr("EN/中文");
    m_textAboutUs = tr("About us");
    createMenus();

    qRegisterMetaType<VxMessageType>("VxMessageType");
    // Queued, so that notices raised on any thread reach the toast through the GUI thread.
    connect(this, &MainWidget::signalShowLeftBottomTips, this, &MainWidget::slotShowLeftBottomTips,
            Qt::QueuedConnection);

    m_restartLauncher = [] { return QProcess::startDetached(QCoreApplication::applicationFilePath(), {}); };
    m_appConfig = AppConfig::instance();
}

MainWidget::~MainWidget()
{
    delete m_ui;
}

void MainWidget::createMenus()
{
    m_menuFile = new QMenu(this);
    m_menuFile->addAction(m_textQuit);
    m_ui->pb_menu_file->setMenu(m_menuFile);

    m_menuSetting = new QMenu(this);
    m_menuSetting->addAction(QIcon(":/img/icon/icon_language.svg"), m_textLanguage);
    m_ui->pb_menu_setting->setMenu(m_menuSetting);

    m_menuHelp = new QMenu(this);
    m_menuHelp->addAction(QIcon(":/img/icon/icon_about.svg"), m_textAboutUs);
    m_ui->pb_menu_help->setMenu(m_menuHelp);

    for (QMenu* menu : {m_menuFile, m_menuSetting, m_menuHelp}) {
        connect(menu, &QMenu::triggered, this, &MainWidget::openActionSlot);
    }
}

void MainWidget::openActionSlot(QAction* action)
{
    const QString text = action->text();
    if (text == m_textQuit) {
        close();
    } else if (text == m_textLanguage) {
        slotSwitchLanguage();
    } else if (text == m_textAboutUs) {
        slotOpenWebPage();
    }
}

void MainWidget::slotSwitchLanguage()
{
    VXMessageBox box(tr("The language change will take effect after restart."), tr("Tips"), tr("Restart"),
                     tr("Later"), this);
    if (box.exec() != QDialog::Accepted) {
        return;
    }
    m_appConfig->setLanguage(m_appConfig->language() == "en" ? "zh" : "en");
    m_appConfig->save();
    QApplication::closeAllWindows();
    if (m_restartLauncher && !m_restartLauncher()) {
        qWarning() << "Failed to restart the program.";
    }
}

void MainWidget::slotOpenWebPage()
{
    VXMessageBox box(tr("Is it open in the browser?"), tr("Tips"), tr("Open"), tr("Close"), this);
    if (box.exec() == QDialog::Accepted) {
        QDesktopServices::openUrl(QUrl(AppStartup::kWebPage));
    }
}

void MainWidget::slotShowLeftBottomTips(QString text, VxMessageType type, QString file_path)
{
    auto* toast = new VxFilePathReminderForm(text, type, file_path, this);
    toast->move(x(), y() + height() - toast->height());
    toast->show();
    toast->raise();
}

void MainWidget::on_pb_win_min_clicked()
{
    showMinimized();
}

void MainWidget::on_pb_win_max_clicked()
{
    if (isMaximized()) {
        showNormal();
        setTitleBarCorners(true);
    } else {
        showMaximized();
        setTitleBarCorners(false);
    }
}

void MainWidget::on_pb_win_close_clicked()
{
    close();
}

void MainWidget::setTitleBarCorners(bool rounded)
{
    const int radius = rounded ? 6 : 0;
    m_ui->widget_title_bar->setStyleSheet(
        QString("#widget_title_bar { background: #FFFFFF; border-bottom: 1px solid #AAAAAA;"
                " border-top-left-radius: %1px; border-top-right-radius: %1px; }")
            .arg(radius));
}

void MainWidget::maximizedChanged(bool maximized)
{
    m_ui->pb_win_max->setProperty("type", maximized ? "restore" : "maxsize");
    m_ui->pb_win_max->style()->unpolish(m_ui->pb_win_max);
    m_ui->pb_win_max->style()->polish(m_ui->pb_win_max);
}

void MainWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Spontaneous shows come from the window system (restoring from the task bar); the window
    // then stays where the user put it.
    if (!event->spontaneous() && !isMaximized()) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = geometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

void MainWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
    } else if (event->type() == QEvent::WindowStateChange) {
        maximizedChanged(isMaximized());
    }
    QWidget::changeEvent(event);
}
