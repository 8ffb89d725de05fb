#include "MainWidget.h"
#include "ui_MainWidget.h"

#include "AppConfig.h"
#include "AppStartup.h"
#include "CamerasList.h"
#include "ShowCameraInfoUI.h"
#include "ShowImageForm.h"
#include "SidebarApsSettingUI.h"
#include "SidebarCameraSettingUI.h"
#include "SidebarDvsSettingUI.h"
#include "VXMessageBox.h"
#include "VxEthCameraConfigTool.h"
#include "VxEventProcessor.h"
#include "VxFilePathReminderForm.h"
#include "VxFileRecorder.h"
#include "VxFirmwareVersion.h"
#include "VxFusionCameraDataProcessor.h"
#include "VxGeneralSetting.h"
#include "VxGraphicsView.h"
#include "VxLiveCamera.h"
#include "VxRangeFileDialog.h"
#include "VxRecordingFiles.h"
#include "VxThreeHandleSlider.h"
#include "VxToolTip.h"
#include "WaitingWin.h"
#include "WidgetWindowAgent.h"

#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoDriver/RecordingNames.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QDebug>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <limits>

namespace {

constexpr int kSettingAreaWidth = 500;

void addShadow(QWidget* widget)
{
    auto* shadow = new QGraphicsDropShadowEffect(widget);
    shadow->setOffset(0, 3);
    shadow->setColor(QColor(0, 0, 0, 41));
    shadow->setBlurRadius(6);
    widget->setGraphicsEffect(shadow);
}

void repolish(QWidget* widget)
{
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

} // namespace

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

    qRegisterMetaType<VxMessageType>("VxMessageType");
    m_fusionProcessor = new VxFusionCameraDataProcessor(AppConfig::instance());
    m_eventProcessor = new VxEventProcessor(AppConfig::instance());
    m_live = new VxLiveCamera(m_eventProcessor);
    m_fileRecorder = new VxFileRecorder(this);
    m_recordingTimer = new QTimer(this);
    m_recordingTimer->setInterval(1000);
    connect(m_recordingTimer, &QTimer::timeout, this, &MainWidget::slotRecordingTick);

    m_slider = new VxThreeHandleSlider(Qt::Horizontal, this);
    m_slider->setObjectName("time_slider");
    m_slider->setValueFormatter(&MainWidget::timeText);
    m_ui->layout_time_slider->addWidget(m_slider);

    m_waitingWin = new WaitingWin(m_ui->widget_show_image);
    m_waitingWin->close();

    m_ui->splitter->setStretchFactor(0, 1);
    m_ui->splitter->setStretchFactor(1, 10);
    m_ui->splitter->setContentsMargins(10, 10, 10, 10);
    addShadow(m_ui->frame_setting);
    addShadow(m_ui->frame_main);
    // Keys belong to the window (Space, Left, Right), not to the view's scrolling.
    setFocusPolicy(Qt::StrongFocus);
    m_ui->widget_show_image->view()->setFocusPolicy(Qt::NoFocus);
    createTooltips();
    createViewerSettingMenu();
    createMenus();
    createSidePanels();
    connectEngine();
    connectFusionProcessor();

    setPlaybackEnabled(false);
    // Recording needs a live camera; the choice of stream comes with the fusion view. Both are
    // greyed rather than doing nothing when used.
    m_ui->pb_record->setEnabled(false);
    m_ui->pb_viewer_type->setEnabled(false);
    m_ui->lb_status_dropped->hide();
    updateCameraCommands();
    m_restartLauncher = [] { return QProcess::startDetached(QCoreApplication::applicationFilePath(), {}); };
    m_appConfig = AppConfig::instance();
    m_ui->widget_show_image->setBackgroundColor(m_appConfig->backgroundColor());
}

MainWidget::~MainWidget()
{
    // A recording ends while the camera still streams: the file gets everything until now.
    m_fileRecorder->finish();
    disarmTriggerRecording();
    // The fusion processor lets go of the camera's callbacks before the camera stops.
    m_fusionProcessor->setCamera(nullptr);
    // The live loop counts into the engine: it ends, and the camera stops, first.
    delete m_live;
    m_live = nullptr;
    delete m_fusionProcessor;
    m_fusionProcessor = nullptr;
    // The engine joins its threads; its queued signals to the widgets die with it.
    delete m_eventProcessor;
    m_eventProcessor = nullptr;
    delete m_waitingWin;
    m_waitingWin = nullptr;
    delete m_ui;
}

// ---- construction ----------------------------------------------------------------------------

void MainWidget::createTooltips()
{
    const std::pair<QWidget*, QString> tips[] = {
        {m_ui->pb_play, tr("Play/Stop")},
        {m_ui->pb_record, tr("Start/Stop recording")},
        {m_ui->pb_prv, tr("Previous frame")},
        {m_ui->pb_next, tr("Next frame")},
        {m_ui->pb_stop, tr("Reset the playback progress to the beginning")},
        {m_ui->pb_loop, tr("Select to automatically replay at the end of the playback")},
    };
    for (const auto& [target, text] : tips) {
        auto* tip = new VxToolTip(text, VxToolTip::AlignCenterAbove, this);
        tip->attachToWidget(target);
    }
}

void MainWidget::createViewerSettingMenu()
{
    m_menuViewerSetting = new QMenu(this);
    m_actionToggleStartEnd = m_menuViewerSetting->addAction(tr("Toggle Start/End Point"));
    m_actionToggleStartEnd->setObjectName("action_toggle_start_end");
    m_actionToggleStartEnd->setCheckable(true);
    connect(m_actionToggleStartEnd, &QAction::triggered, this, &MainWidget::slotStartEndPointEditable);
}

QAction* MainWidget::addMenuCommand(QMenu* menu, MenuCommand command, const QString& text,
                                    const QString& icon)
{
    QAction* action = icon.isEmpty() ? menu->addAction(text) : menu->addAction(QIcon(icon), text);
    action->setData(QVariant::fromValue(command));
    m_commandActions.append(action);
    return action;
}

QAction* MainWidget::menuAction(MenuCommand command) const
{
    for (QAction* action : m_commandActions) {
        if (action->data().value<MenuCommand>() == command) {
            return action;
        }
    }
    return nullptr;
}

void MainWidget::createMenus()
{
    m_menuFile = new QMenu(this);
    addMenuCommand(m_menuFile, MenuCommand::OpenRecording, tr("Open Recording"),
                   ":/img/icon/icon_menu_open.svg");
    m_actionSaveAs = addMenuCommand(m_menuFile, MenuCommand::SaveAs, tr("Save as..."));
    m_actionCutRecording = addMenuCommand(m_menuFile, MenuCommand::CutRecording, tr("Cut Recording"));
    m_menuFile->addSeparator();
    addMenuCommand(m_menuFile, MenuCommand::Quit, tr("Quit"));
    m_actionSaveAs->setVisible(false);
    m_actionCutRecording->setVisible(false);
    m_ui->pb_menu_file->setMenu(m_menuFile);

    m_menuDevice = new QMenu(this);
    addMenuCommand(m_menuDevice, MenuCommand::OpenCamera, tr("Open Camera"), ":/img/icon/icon_camera.svg");
    addMenuCommand(m_menuDevice, MenuCommand::CameraInfo, tr("Camera Info"));
    m_ui->pb_menu_device->setMenu(m_menuDevice);

    m_menuTools = new QMenu(this);
    addMenuCommand(m_menuTools, MenuCommand::IpConfiguration, tr("IP Configuration"));
    m_ui->pb_menu_tools->setMenu(m_menuTools);

    m_menuSetting = new QMenu(this);
    addMenuCommand(m_menuSetting, MenuCommand::GeneralSetting, tr("General Setting"),
                   ":/img/icon/icon_setting_general.svg");
    addMenuCommand(m_menuSetting, MenuCommand::SwitchLanguage, tr("EN/中文"), ":/img/icon/icon_language.svg");
    m_ui->pb_menu_setting->setMenu(m_menuSetting);

    m_menuHelp = new QMenu(this);
    addMenuCommand(m_menuHelp, MenuCommand::AboutUs, tr("About us"), ":/img/icon/icon_about.svg");
    m_ui->pb_menu_help->setMenu(m_menuHelp);

    // A new user finds the attached cameras right in the menu.
    connect(m_menuDevice, &QMenu::aboutToShow, this, &MainWidget::listFoundCameras);
    for (QMenu* menu : {m_menuFile, m_menuDevice, m_menuTools, m_menuSetting, m_menuHelp}) {
        connect(menu, &QMenu::triggered, this, &MainWidget::openActionSlot);
    }
    for (QPushButton* button : {m_ui->pb_menu_file, m_ui->pb_menu_device, m_ui->pb_menu_tools,
                                m_ui->pb_menu_setting, m_ui->pb_menu_help}) {
        connect(button->menu(), &QMenu::aboutToHide, this, [this, button] { releaseMenuButton(button); });
    }
}

void MainWidget::releaseMenuButton(QPushButton* button)
{
    // The open menu took the mouse, so the button never heard it leave; without this its hover
    // style stays on after the menu closed elsewhere.
    const bool under = button->rect().contains(button->mapFromGlobal(QCursor::pos()));
    button->setAttribute(Qt::WA_UnderMouse, under);
    button->update();
}

void MainWidget::listFoundCameras()
{
    for (QAction* action : std::as_const(m_foundCameraActions)) {
        m_commandActions.removeOne(action);
        m_menuDevice->removeAction(action);
        delete action;
    }
    m_foundCameraActions.clear();
    m_foundCameraActions.append(m_menuDevice->addSeparator());
    const std::vector<tarvo::CameraDescription> cameras = m_live->searchCameras();
    if (cameras.empty()) {
        QAction* none = m_menuDevice->addAction(tr("No camera found"));
        none->setEnabled(false);
        m_foundCameraActions.append(none);
        return;
    }
    for (const tarvo::CameraDescription& camera : cameras) {
        const QString serial = QString::fromStdString(camera.serial);
        QAction* action =
            addMenuCommand(m_menuDevice, MenuCommand::OpenFoundCamera,
                           serial + "   " + CamerasList::describe(camera), ":/img/assets/btn_camera.svg");
        action->setProperty("serial", serial);
        m_foundCameraActions.append(action);
    }
}

void MainWidget::createSidePanels()
{
    m_cameraPanel = new SidebarCameraSettingUI(this);
    m_cameraPanel->setObjectName("panel_camera_setting");
    m_ui->layout_sidebar_setting->addWidget(m_cameraPanel);
    // The event and frame sensor panels are built from an open camera's tools; without a camera
    // they show a hint and their buttons stay hidden.
    m_dvsPanel = new SidebarDvsSettingUI(AppConfig::instance(), this);
    m_dvsPanel->setObjectName("panel_dvs_setting");
    m_ui->layout_sidebar_setting->addWidget(m_dvsPanel);
    m_apsPanel = new SidebarApsSettingUI(AppConfig::instance(), this);
    m_apsPanel->setObjectName("panel_aps_setting");
    m_ui->layout_sidebar_setting->addWidget(m_apsPanel);
    connectCameraToolPanel(m_dvsPanel, m_ui->pb_fold_dvs_setting);
    connectCameraToolPanel(m_apsPanel, m_ui->pb_fold_aps_setting);
    // A file loaded in one panel may also set tools the other one shows.
    connect(m_dvsPanel, &CameraToolPanel::signalCameraParamsLoaded, m_apsPanel,
            &CameraToolPanel::slotRefreshConfig);
    connect(m_apsPanel, &CameraToolPanel::signalCameraParamsLoaded, m_dvsPanel,
            &CameraToolPanel::slotRefreshConfig);
    m_ui->pb_fold_dvs_setting->hide();
    m_ui->pb_fold_aps_setting->hide();
    showSidePanel(nullptr);
}

void MainWidget::connectCameraToolPanel(CameraToolPanel* panel, QPushButton* button)
{
    connect(panel, &CameraToolPanel::signalShowLeftBottomTips, this, &MainWidget::slotShowLeftBottomTips);
    connect(panel, &CameraToolPanel::signalCameraShown, this, [this, button](bool shown) {
        // A panel that has nothing left to show closes.
        if (!shown && button->isChecked()) {
            showSidePanel(nullptr);
        }
        button->setVisible(shown);
    });
}

void MainWidget::connectEngine()
{
    VxEventProcessor* engine = m_eventProcessor;
    connect(this, &MainWidget::signalOpenRawFile, engine, &VxEventProcessor::loadFile);
    connect(this, &MainWidget::signalPlaybackReset, engine, &VxEventProcessor::slotPlaybackReset);
    connect(this, &MainWidget::signalExportVideo, engine, &VxEventProcessor::slotExportVideo);
    connect(this, &MainWidget::signalCutRawFile, engine, &VxEventProcessor::slotCutRawFile);

    // The play button drives the engine for recordings; for a live camera on_pb_play_clicked
    // starts and stops the camera.
    connect(m_ui->pb_play, &QPushButton::toggled, this, [this](bool on) {
        if (m_viewerType == ViewerFusionFile) {
            emit signalFusionFilePlayControl(on);
        } else if (!isLiveType()) {
            emit signalPlaybackCtrl(on);
        }
    });
    connect(this, &MainWidget::signalPlaybackCtrl, engine, &VxEventProcessor::slotPlaybackCtrl);
    connect(m_ui->pb_prv, &QPushButton::pressed, engine, &VxEventProcessor::preFrame);
    connect(m_ui->pb_next, &QPushButton::pressed, engine, &VxEventProcessor::nextFrame);
    connect(m_ui->pb_stop, &QPushButton::pressed, engine, &VxEventProcessor::slotPlaybackReset);
    connect(m_ui->pb_loop, &QPushButton::toggled, engine, &VxEventProcessor::slotPlayLoop);

    connect(m_slider, &VxThreeHandleSlider::centerValueMove, engine, &VxEventProcessor::setPlayPos);
    connect(m_slider, &VxThreeHandleSlider::centerValueTrackClick, engine, &VxEventProcessor::setPlayPos);
    connect(m_slider, &VxThreeHandleSlider::lowerValueChanged, engine,
            &VxEventProcessor::slotSetLowerTimeStamp);
    connect(m_slider, &VxThreeHandleSlider::upperValueChanged, engine,
            &VxEventProcessor::slotSetUpperTimeStamp);

    // Queued even when the engine emits from the GUI thread: a step's or seek's position must
    // come after the positions the play thread posted before it stopped, not overtake them.
    const auto queued = Qt::QueuedConnection;
    connect(engine, &VxEventProcessor::signalEventImage, m_ui->widget_show_image,
            &ShowImageForm::slotShowImage, queued);
    connect(engine, &VxEventProcessor::signalRealTimeTimeStamp, this, &MainWidget::showTimeStamp, queued);
    connect(engine, &VxEventProcessor::signalLocalTime, this, &MainWidget::showLocalTime, queued);
    connect(engine, &VxEventProcessor::signalStartTimeStamp, m_slider, &VxThreeHandleSlider::setMinimum,
            queued);
    connect(engine, &VxEventProcessor::signalEndTimeStamp, m_slider, &VxThreeHandleSlider::setMaximum,
            queued);
    connect(engine, &VxEventProcessor::signalPlayStatus, m_ui->pb_play, &QPushButton::setChecked, queued);
    connect(engine, &VxEventProcessor::signalLoadingStatus, this, &MainWidget::slotSetWaitWinStatus, queued);
    connect(engine, &VxEventProcessor::signalShowLeftBottomTips, this, &MainWidget::slotShowLeftBottomTips,
            queued);
    connect(engine, &VxEventProcessor::signalFileLoaded, this, &MainWidget::slotFileLoaded, queued);
    connect(engine, &VxEventProcessor::signalSensorSize, this, &MainWidget::slotSensorSize, queued);
    connect(engine, &VxEventProcessor::signalFrameStatistics, this, &MainWidget::slotFrameStatistics, queued);
    connect(engine, &VxEventProcessor::signalActivity, m_slider, &VxThreeHandleSlider::setActivity, queued);

    // The display panel's values hold from the start: the engine plays as the panel says.
    connect(m_cameraPanel, &SidebarCameraSettingUI::signalCumulativeTimeChanged, this,
            &MainWidget::slotAccumulationTimeChanged);
    connect(m_cameraPanel, &SidebarCameraSettingUI::signalFpsChanged, this,
            &MainWidget::slotFrameRateChanged);
    slotAccumulationTimeChanged(m_cameraPanel->accumulationTimeUs());
    slotFrameRateChanged(m_cameraPanel->frameRate());

    VxGraphicsView* view = m_ui->widget_show_image->view();
    connect(view, &VxGraphicsView::signalPixelHovered, this, &MainWidget::slotPixelHovered);
    connect(view, &VxGraphicsView::signalHoverLeft, this, &MainWidget::slotHoverLeft);

    connect(m_live, &VxLiveCamera::signalOpenFinished, this, &MainWidget::slotCameraOpenFinished, queued);
    connect(m_live, &VxLiveCamera::signalStatistics, this, &MainWidget::slotLiveStatistics, queued);
    connect(m_live, &VxLiveCamera::signalLiveEnded, this, &MainWidget::slotLiveEnded, queued);
    connect(m_live, &VxLiveCamera::signalFramePresented, this, &MainWidget::triggerEventsToShow, queued);
    // Trigger edges arrive on the camera's stream thread; the recorder takes them in this one.
    connect(this, &MainWidget::signalRecByTime, m_fileRecorder,
            qOverload<uint32_t, QString>(&VxFileRecorder::startRecording), queued);
    connect(m_fileRecorder, &VxFileRecorder::signalShowLeftBottomTips, this,
            &MainWidget::slotShowLeftBottomTips, queued);

    connect(this, &MainWidget::triggerEventsToShow, this, qOverload<>(&MainWidget::getEventsToShow));
    connect(this, &MainWidget::triggerShowPixmap, this, qOverload<QPixmap*>(&MainWidget::getEventsToShow));
    connect(this, &MainWidget::setShowCameraLiveUI, this, &MainWidget::showCameraPlayingUI);
    connect(this, &MainWidget::resetShowCameraFormTitle, this, &MainWidget::setShowTitleInfo);
    connect(this, &MainWidget::toShowCameraSerial, this, &MainWidget::showCameraSerial);
    connect(this, &MainWidget::toShowCameraTimestamp, this, &MainWidget::showTimeStamp);
    // Queued, so that notices raised on any thread reach the toast through the GUI thread.
    connect(this, &MainWidget::signalShowLeftBottomTips, this, &MainWidget::slotShowLeftBottomTips,
            Qt::QueuedConnection);
}

void MainWidget::connectFusionProcessor()
{
    VxFusionCameraDataProcessor* fusion = m_fusionProcessor;
    connect(this, &MainWidget::signalOpenFusionFile, fusion,
            &VxFusionCameraDataProcessor::slotReadFusionFile);
    connect(this, &MainWidget::signalSetViewerShowType, fusion,
            &VxFusionCameraDataProcessor::slotSetViewerType);
    connect(this, &MainWidget::signalFusionFilePlayControl, fusion,
            &VxFusionCameraDataProcessor::slotPlaybackCtrl);
    // Each processor answers the play bar only while it holds a recording.
    connect(m_ui->pb_prv, &QPushButton::pressed, fusion, &VxFusionCameraDataProcessor::preFrame);
    connect(m_ui->pb_next, &QPushButton::pressed, fusion, &VxFusionCameraDataProcessor::nextFrame);
    connect(m_ui->pb_stop, &QPushButton::pressed, fusion, &VxFusionCameraDataProcessor::slotPlaybackReset);
    connect(m_ui->pb_loop, &QPushButton::toggled, fusion, &VxFusionCameraDataProcessor::slotSetReplayFlag);
    connect(m_slider, &VxThreeHandleSlider::centerValueMove, fusion,
            &VxFusionCameraDataProcessor::setPlayPos);
    connect(m_slider, &VxThreeHandleSlider::centerValueTrackClick, fusion,
            &VxFusionCameraDataProcessor::setPlayPos);
    connect(m_slider, &VxThreeHandleSlider::lowerValueChanged, fusion,
            &VxFusionCameraDataProcessor::slotSetLowerTimeStamp);
    connect(m_slider, &VxThreeHandleSlider::upperValueChanged, fusion,
            &VxFusionCameraDataProcessor::slotSetUpperTimeStamp);

    // Queued always: the pictures come from camera and playback threads, and a step's position
    // must not overtake the ones the playback thread posted before it stopped.
    const auto queued = Qt::QueuedConnection;
    connect(fusion, &VxFusionCameraDataProcessor::signalFusionImage, m_ui->widget_show_image,
            &ShowImageForm::slotShowImage, queued);
    connect(fusion, &VxFusionCameraDataProcessor::signalTimeStamp, this, &MainWidget::showTimeStamp, queued);
    connect(fusion, &VxFusionCameraDataProcessor::signalStartTimeStamp, m_slider,
            &VxThreeHandleSlider::setMinimum, queued);
    connect(fusion, &VxFusionCameraDataProcessor::signalEndTimeStamp, m_slider,
            &VxThreeHandleSlider::setMaximum, queued);
    connect(fusion, &VxFusionCameraDataProcessor::signalPlayStatus, this, &MainWidget::slotFusionPlayStatus,
            queued);
    connect(fusion, &VxFusionCameraDataProcessor::signalLoadingStatus, this,
            &MainWidget::slotSetWaitWinStatus, queued);
    connect(fusion, &VxFusionCameraDataProcessor::signalShowLeftBottomTips, this,
            &MainWidget::slotShowLeftBottomTips, queued);
    // The frame sensor panel's manual calibration: an offset to try, then written to the camera.
    connect(m_apsPanel, &SidebarApsSettingUI::signalManualCaliOffsetXY, fusion,
            &VxFusionCameraDataProcessor::slotSetApsOffset);
    connect(m_apsPanel, &SidebarApsSettingUI::signalApplyCaliOffset, fusion,
            &VxFusionCameraDataProcessor::slotApplyOffset);
    connect(fusion, &VxFusionCameraDataProcessor::signalFileLoaded, this, &MainWidget::slotFusionFileLoaded,
            queued);
}

// ---- menus and commands ----------------------------------------------------------------------

void MainWidget::openActionSlot(QAction* action)
{
    if (!action || !action->data().canConvert<MenuCommand>()) {
        return;
    }
    switch (action->data().value<MenuCommand>()) {
    case MenuCommand::OpenRecording:
        slotOpenRecording();
        break;
    case MenuCommand::SaveAs:
        slotSaveAs();
        break;
    case MenuCommand::CutRecording:
        slotCutRecording();
        break;
    case MenuCommand::Quit:
        close();
        break;
    case MenuCommand::OpenCamera:
        slotOpenCamera();
        break;
    case MenuCommand::OpenFoundCamera:
        openCamera(action->property("serial").toString());
        break;
    case MenuCommand::CameraInfo:
        slotShowCameraInfo();
        break;
    case MenuCommand::IpConfiguration:
        slotShowToolIPConfig();
        break;
    case MenuCommand::GeneralSetting:
        on_pb_fold_general_setting_clicked();
        break;
    case MenuCommand::SwitchLanguage:
        slotSwitchLanguage();
        break;
    case MenuCommand::AboutUs:
        slotOpenWebPage();
        break;
    }
}

void MainWidget::slotOpenRecording()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Select a raw file"), m_appConfig->inputRawFilePath(), tr("RAW files (*.raw)"));
    if (path.isEmpty()) {
        return;
    }
    openRecording(path);
}

void MainWidget::openRecording(const QString& path)
{
    // A live camera stops and is let go before a recording takes the view.
    closeCamera();
    const QFileInfo file(path);
    m_appConfig->setInputRawFilePath(file.absolutePath());
    // A recording has no camera settings.
    m_dvsPanel->clearCamera();
    m_apsPanel->clearCamera();
    // Nothing of the previous recording carries over: its range, position and commands go now,
    // and the new recording's come once it has loaded.
    clearRecordingDisplays();
    setRecordingCommandsVisible(false);
    setPlaybackEnabled(false);
    m_ui->lb_viewer_file_name->setText(tr("File name: ") + file.fileName());
    if (VxRecordingFiles::isFusionRecording(path)) {
        m_viewerType = ViewerFusionFile;
        setShowType(tarvo::DVS_APS_STREAM);
        emit signalOpenRawFile(QString());
        emit signalOpenFusionFile(path);
    } else {
        m_viewerType = ViewerRawFile;
        emit signalOpenRawFile(path);
        emit signalOpenFusionFile(QString());
    }
    // Only a fusion recording has streams to choose from.
    m_ui->pb_viewer_type->setEnabled(m_viewerType == ViewerFusionFile);
    m_cameraPanel->setEnabled(true);
}

void MainWidget::slotFileLoaded(bool loaded)
{
    // A late answer about a recording that another one has replaced meanwhile.
    if (m_viewerType != ViewerRawFile) {
        return;
    }
    if (!loaded) {
        // The engine has said why; the window returns to showing nothing.
        m_viewerType = ViewerNone;
        clearRecordingDisplays();
        m_ui->lb_viewer_file_name->setText(tr("File name: "));
        return;
    }
    m_slider->resetRange();
    setRecordingCommandsVisible(true);
    setPlaybackEnabled(true);
    updateRecordingStatus();
}

void MainWidget::slotFusionFileLoaded(bool loaded)
{
    if (m_viewerType != ViewerFusionFile) {
        return;
    }
    if (!loaded) {
        // The processor has said why; the window returns to showing nothing.
        m_viewerType = ViewerNone;
        clearRecordingDisplays();
        m_ui->pb_viewer_type->setEnabled(false);
        m_ui->lb_viewer_file_name->setText(tr("File name: "));
        return;
    }
    m_slider->resetRange();
    setPlaybackEnabled(true);
}

void MainWidget::slotFusionPlayStatus(bool playing)
{
    // Only the recording's playback moves the play button; a live fusion camera owns it otherwise.
    if (m_viewerType == ViewerFusionFile) {
        m_ui->pb_play->setChecked(playing);
    }
}

void MainWidget::setRecordingCommandsVisible(bool visible)
{
    m_actionSaveAs->setVisible(visible);
    m_actionCutRecording->setVisible(visible);
}

void MainWidget::clearRecordingDisplays()
{
    m_slider->setMinimum(0);
    m_slider->setMaximum(0);
    m_slider->resetRange();
    m_slider->setActivity({});
    m_ui->label_time->setText("--/ --");
    m_ui->label_show_timestamp_info->clear();
    m_sensorSize = QSize();
    m_frameEvents = 0;
    m_eventRate = -1;
    m_statusCamera.clear();
    m_statusBandwidth.clear();
    m_statusEventRate.clear();
    m_statusOther.clear();
    updateStatusBar();
}

void MainWidget::slotSaveAs()
{
    if (m_viewerType != ViewerRawFile) {
        slotShowLeftBottomTips(tr("Please open a raw file first."), VxMessageType::Warning, QString());
        return;
    }
    VxExportVideoUI dialog(this);
    dialog.setRecordingRange(m_slider->minimum(), m_slider->maximum());
    dialog.setStartTime(m_slider->rangeStart());
    dialog.setEndTime(m_slider->rangeEnd());
    dialog.setDirectory(m_appConfig->videoSavePath());
    dialog.setFileName(QDateTime::currentDateTime().toString("yyyyMMdd_HHmmss") + ".mp4");
    if (dialog.exec() == QDialog::Accepted) {
        emit signalExportVideo(dialog.fullPath(), dialog.directory(), dialog.startTime(), dialog.endTime());
    }
}

void MainWidget::slotCutRecording()
{
    if (m_viewerType != ViewerRawFile) {
        slotShowLeftBottomTips(tr("Please open a raw file first."), VxMessageType::Warning, QString());
        return;
    }
    VxCutRawFile dialog(this);
    dialog.setRecordingRange(m_slider->minimum(), m_slider->maximum());
    dialog.setStartTime(m_slider->rangeStart());
    dialog.setEndTime(m_slider->rangeEnd());
    dialog.setDirectory(m_appConfig->outputRawFilePath());
    dialog.setFileName(QDateTime::currentDateTime().toString("yyyyMMdd_HHmmss") + ".raw");
    if (dialog.exec() == QDialog::Accepted) {
        emit signalCutRawFile(dialog.fullPath(), dialog.directory(), dialog.startTime(), dialog.endTime());
    }
}

// ---- cameras --------------------------------------------------------------------------------

void MainWidget::updateCameraCommands()
{
    // Camera Info describes the open camera; without one it has nothing to show.
    menuAction(MenuCommand::CameraInfo)->setEnabled(m_live->hasCamera());
}

void MainWidget::slotOpenCamera()
{
    const std::vector<tarvo::CameraDescription> cameras = m_live->searchCameras();
    CamerasList list(cameras, this);
    // Cancelling leaves whatever plays playing.
    if (list.exec() != QDialog::Accepted || list.selectedIndex() < 0) {
        return;
    }
    openCameraDescription(cameras[size_t(list.selectedIndex())]);
}

void MainWidget::openCamera(const QString& serial)
{
    for (const tarvo::CameraDescription& camera : m_live->searchCameras()) {
        if (QString::fromStdString(camera.serial) == serial) {
            openCameraDescription(camera);
            return;
        }
    }
    slotShowLeftBottomTips(
        tr("There is no camera with serial %1; the Device menu lists the cameras attached.").arg(serial),
        VxMessageType::Error, QString());
}

void MainWidget::openCameraDescription(const tarvo::CameraDescription& camera)
{
    if (m_live->isOpening()) {
        return;
    }
    // Whatever plays stops: the live view of another camera, or a recording.
    if (isLiveType()) {
        stopLiveView();
    } else if (m_ui->pb_play->isChecked()) {
        m_ui->pb_play->click();
    }
    emit signalOpenRawFile(QString());
    emit signalOpenFusionFile(QString());
    m_dvsPanel->clearCamera();
    m_apsPanel->clearCamera();
    clearRecordingDisplays();
    setRecordingCommandsVisible(false);
    setPlaybackEnabled(false);
    m_ui->lb_viewer_file_name->clear();
    qDebug() << "Select camera: " << QString::fromStdString(camera.serial)
             << " product: " << QString::fromStdString(camera.productName);
    const bool fusion = camera.productName == "Duet";
    m_viewerType = fusion ? ViewerFusionCamera : ViewerDvsCamera;
    setShowType(fusion ? tarvo::DVS_APS_STREAM : tarvo::DVS_STREAM);
    // An event camera has one stream to show.
    m_ui->pb_viewer_type->setEnabled(fusion);
    // The previous camera's pictures stop before it goes.
    m_fusionProcessor->setCamera(nullptr);
    // The slow rate applies to recordings only.
    m_cameraPanel->setSlowRateEnabled(false);
    beginCameraOpening(camera);
}

void MainWidget::beginCameraOpening(const tarvo::CameraDescription& camera)
{
    if (!m_live->open(camera)) {
        return;
    }
    updateCameraCommands();
    // Nothing else may be asked of the window while the camera comes up.
    m_waitingWin->setWindowModality(Qt::ApplicationModal);
    slotSetWaitWinStatus(true);
}

void MainWidget::slotCameraOpenFinished(bool opened, QString reason)
{
    slotSetWaitWinStatus(false);
    m_waitingWin->setWindowModality(Qt::NonModal);
    // A recording took the window while the camera came up: the camera is not wanted any more.
    if (!isLiveType()) {
        m_live->release();
        updateCameraCommands();
        return;
    }
    updateCameraCommands();
    const tarvo::CameraDescription camera = m_live->description();
    const QString serial = QString::fromStdString(camera.serial);
    if (!opened) {
        QString text = tr("Open camera: ") + serial + tr("failed.");
        if (!reason.isEmpty()) {
            text += " " + reason;
        }
        slotShowLeftBottomTips(text, VxMessageType::Error, QString());
        return;
    }
    if (m_viewerType == ViewerFusionCamera) {
        if (!VxFirmwareVersion::isUpToDate(QString::fromStdString(camera.firmwareVersion))) {
            qDebug() << "The Duet camera firmware needs to be upgraded:"
                     << QString::fromStdString(camera.firmwareVersion);
            slotShowLeftBottomTips(tr("The Duet camera firmware needs to be upgraded!"),
                                   VxMessageType::Warning, QString());
        }
        attachFusionCamera();
    }
    emit setShowCameraLiveUI(true);
    emit resetShowCameraFormTitle(true);
    emit toShowCameraSerial(serial);
    if (m_viewerType == ViewerDvsCamera) {
        // The side bar's sensor settings of this camera (an event camera has no frame sensor).
        m_dvsPanel->setCamera(m_live->dvsCamera());
        m_apsPanel->setCamera(m_live->dvsCamera());
        initDvsCameraSettings();
    }
    if (!m_ui->pb_play->isChecked()) {
        m_ui->pb_play->click();
    }
}

void MainWidget::on_pb_play_clicked(bool checked)
{
    // Recordings play through the toggled connection to their processor; this is the live camera's.
    if (isLiveType()) {
        playLiveCamera(checked);
    }
}

void MainWidget::playLiveCamera(bool on)
{
    if (!m_live->hasCamera() || !m_live->isConnected()) {
        qDebug() << "Please connect camera first.";
        m_ui->pb_play->setChecked(false);
        slotShowLeftBottomTips(tr("Please connect camera first."), VxMessageType::Warning, QString());
        return;
    }
    if (!on) {
        stopLiveView();
        qDebug() << "stop camera.";
        return;
    }
    if (!m_live->isReady()) {
        // A stopped camera goes through its bring-up again; the play button follows once it is up.
        m_ui->pb_play->setChecked(false);
        beginCameraOpening(m_live->description());
        return;
    }
    if (!m_live->start()) {
        qDebug() << "Please check the camera connection.";
        m_ui->pb_play->setChecked(false);
        slotShowLeftBottomTips(tr("The camera did not start. Please check the camera connection."),
                               VxMessageType::Error, QString());
        return;
    }
    m_ui->pb_play->setChecked(true);
    m_ui->pb_record->setEnabled(true);
    showDroppedBuffers(0);
    qDebug() << "start camera.";
}

void MainWidget::attachFusionCamera()
{
    const std::shared_ptr<tarvo::FusionCamera> camera = m_live->fusionCamera();
    if (!camera) {
        return;
    }
    // The camera's own calibration lays its events over its frames; without one the default
    // stays.
    tarvo::CalibratorParameters params;
    if (camera->readCalibrationParam(params)) {
        m_fusionProcessor->loadCalibration(params);
    }
    m_fusionProcessor->setCamera(camera);
    // The side bar's event and frame sensor settings of this camera.
    m_dvsPanel->setCamera(camera);
    m_apsPanel->setCamera(camera);
}

void MainWidget::stopLiveView()
{
    // What was recorded is saved before the stream ends.
    if (m_recording) {
        finishManualRecording();
    }
    m_fileRecorder->finish();
    m_live->stop();
    // Frames and events of the stopped stream must not pair with those of the next start.
    m_fusionProcessor->clearFusionData();
    m_ui->pb_record->setEnabled(false);
    m_ui->pb_play->setChecked(false);
    // The rates were the stream's; the dropped buffers stay readable until the next start.
    m_statusBandwidth.clear();
    m_statusEventRate.clear();
    updateStatusBar();
    showDroppedBuffers(m_droppedBuffers);
}

void MainWidget::closeCamera()
{
    if (!isLiveType()) {
        return;
    }
    stopLiveView();
    disarmTriggerRecording();
    m_fusionProcessor->setCamera(nullptr);
    m_live->release();
    m_fileRecorder->setCamera(nullptr);
    m_ui->label_show_camera_info->clear();
    m_ui->label_show_timestamp_info->clear();
    showDroppedBuffers(0);
    m_cameraPanel->setSlowRateEnabled(true);
    updateCameraCommands();
}

void MainWidget::slotLiveStatistics(quint64 bytes_per_second, quint64 events_per_second,
                                    quint64 dropped_buffers)
{
    // A second that ended after the live view did says nothing about it.
    if (!isLiveType() || !m_live->isLive()) {
        return;
    }
    m_statusBandwidth = VxLiveCamera::bandwidthText(bytes_per_second);
    m_statusEventRate = VxLiveCamera::eventRateText(events_per_second);
    updateStatusBar();
    showDroppedBuffers(dropped_buffers);
}

void MainWidget::showDroppedBuffers(uint64_t dropped)
{
    QLabel* label = m_ui->lb_status_dropped;
    // In the warning colour while the count grows: each lost buffer is a gap in the stream.
    label->setProperty("growing", dropped > m_droppedBuffers);
    repolish(label);
    m_droppedBuffers = dropped;
    label->setText(tr("Dropped buffers: %1").arg(QLocale().toString(qulonglong(dropped))));
    label->setVisible(dropped > 0);
}

void MainWidget::slotLiveEnded(QString reason)
{
    if (!isLiveType()) {
        return;
    }
    stopLiveView();
    slotShowLeftBottomTips(tr("The live view of camera %1 stopped: %2")
                               .arg(QString::fromStdString(m_live->description().serial), reason),
                           VxMessageType::Error, QString());
}

void MainWidget::slotShowCameraInfo()
{
    if (!m_live->hasCamera()) {
        return;
    }
    const std::shared_ptr<tarvo::DvsCamera> camera = m_live->dvsCamera();
    ShowCameraInfoUI dialog(this);
    dialog.setCamera(camera ? camera->getDescription() : m_live->description());
    dialog.exec();
}

void MainWidget::slotShowToolIPConfig()
{
    VxEthCameraConfigTool dialog(this);
    connect(&dialog, &VxEthCameraConfigTool::signalShowLeftBottomTips, this,
            &MainWidget::slotShowLeftBottomTips, Qt::QueuedConnection);
    dialog.exec();
    if (dialog.changedAnyCamera()) {
        // The next search must report the addresses the cameras have now.
        m_live->forgetCameras();
    }
}

// ---- recording ------------------------------------------------------------------------------

void MainWidget::disarmTriggerRecording()
{
    const std::shared_ptr<tarvo::DvsCamera> camera = m_live->dvsCamera();
    if (camera && m_triggerCallbackId >= 0) {
        camera->removeTriggerInCallback(uint32_t(m_triggerCallbackId));
    }
    m_triggerCallbackId = -1;
}

void MainWidget::initDvsCameraSettings()
{
    const std::shared_ptr<tarvo::DvsCamera> camera = m_live->dvsCamera();
    if (m_viewerType != ViewerDvsCamera || !camera) {
        return;
    }
    disarmTriggerRecording();
    m_fileRecorder->setCamera(camera);
    camera->setFileCacheTime(0, ".");
    if (!m_appConfig->dvsTriggerInRecEnable()) {
        return;
    }
    const QString folder = m_appConfig->outputRawFilePath();
    const uint32_t before = std::min<uint32_t>(m_appConfig->dvsBeforeTriggerInSaveTime(), UINT16_MAX);
    camera->setFileCacheTime(uint16_t(before), folder.toLocal8Bit().toStdString());
    // Trigger edges reach the stream only while the camera's trigger input is on.
    if (const std::shared_ptr<tarvo::CameraTool> trigger = camera->getTool(tarvo::TOOL_TRIGGER_IN)) {
        trigger->setParam("enable", true);
        m_dvsPanel->slotRefreshConfig();
    }
    const bool rising = m_appConfig->dvsTriggerInRecEdgeType() == "Rising Edge";
    const uint32_t after = m_appConfig->dvsAfterTriggerInSaveTime();
    const std::string serial = camera->getDescription().serial;
    // Called on the camera's stream thread: it only names the file and hands it on.
    m_triggerCallbackId =
        camera->addTriggerInCallback([this, rising, after, folder, serial](tarvo::EventTriggerIn trigger) {
            if ((trigger.polarity == 1) != rising) {
                return;
            }
            const std::string name = tarvo::recordingFileName(serial, std::chrono::system_clock::now());
            emit signalRecByTime(after, folder + "/" + QString::fromStdString(name));
        });
}

void MainWidget::on_pb_record_clicked()
{
    if (m_viewerType == ViewerFusionCamera) {
        recordFusionCamera();
        return;
    }
    const std::shared_ptr<tarvo::DvsCamera> camera = m_live->dvsCamera();
    if (m_viewerType != ViewerDvsCamera || !camera || !camera->isConnected() || !m_live->isLive()) {
        qDebug() << "Please connect camera first.";
        m_ui->pb_record->setChecked(false);
        slotShowLeftBottomTips(tr("Please connect camera first."), VxMessageType::Warning, QString());
        return;
    }
    if (m_recording) {
        qDebug() << "stop recording";
        finishManualRecording();
        return;
    }
    qDebug() << "start recording...";
    const std::string name =
        tarvo::recordingFileName(camera->getDescription().serial, std::chrono::system_clock::now());
    const QString path = m_appConfig->outputRawFilePath() + "/" + QString::fromStdString(name);
    if (!m_fileRecorder->startRecording(path)) {
        m_ui->pb_record->setChecked(false);
        return;
    }
    m_recording = true;
    m_ui->pb_record->setChecked(true);
    m_recordingClock.start();
    m_recordingTimer->start();
    slotRecordingTick();
}

void MainWidget::recordFusionCamera()
{
    const std::shared_ptr<tarvo::FusionCamera> camera = m_live->fusionCamera();
    if (!camera || !camera->isConnected() || !m_live->isLive()) {
        qDebug() << "Please connect camera first.";
        m_ui->pb_record->setChecked(false);
        slotShowLeftBottomTips(tr("Please connect camera first."), VxMessageType::Warning, QString());
        return;
    }
    if (m_recording) {
        qDebug() << "stop recording";
        finishManualRecording();
        return;
    }
    qDebug() << "start recording...";
    // The driver adds the three files' extensions to the name.
    const QString folder = m_appConfig->outputRawFilePath();
    const QString name = QString::fromStdString(camera->getDescription().serial) +
                         QDateTime::currentDateTime().toString("_yyyyMMdd_HHmmss");
    if (camera->startRecording(folder.toLocal8Bit().toStdString(), name.toLocal8Bit().toStdString(),
                               tarvo::DVS_APS_STREAM) != 0) {
        m_ui->pb_record->setChecked(false);
        slotShowLeftBottomTips(tr("The recording could not start in %1.").arg(folder), VxMessageType::Error,
                               folder);
        return;
    }
    m_recording = true;
    m_ui->pb_record->setChecked(true);
    m_recordingClock.start();
    m_recordingTimer->start();
    slotRecordingTick();
}

void MainWidget::finishManualRecording()
{
    m_recording = false;
    m_recordingTimer->stop();
    m_ui->pb_record->setChecked(false);
    m_ui->lb_recoding_time->clear();
    const std::shared_ptr<tarvo::FusionCamera> fusion = m_live->fusionCamera();
    if (!fusion) {
        m_fileRecorder->stopRecording();
        return;
    }
    const QString folder = m_appConfig->outputRawFilePath();
    if (fusion->stopRecording(tarvo::DVS_APS_STREAM) == 0) {
        slotShowLeftBottomTips(tr("Save file success!"), VxMessageType::Success, folder);
    } else {
        slotShowLeftBottomTips(tr("The recording could not be written completely."), VxMessageType::Error,
                               folder);
    }
}

void MainWidget::slotRecordingTick()
{
    if (!m_recording) {
        return;
    }
    const qint64 seconds = m_recordingClock.elapsed() / 1000;
    const QString elapsed = QString("%1:%2:%3")
                                .arg(seconds / 3600, 2, 10, QChar('0'))
                                .arg(seconds / 60 % 60, 2, 10, QChar('0'))
                                .arg(seconds % 60, 2, 10, QChar('0'));
    if (m_viewerType == ViewerFusionCamera) {
        m_ui->lb_recoding_time->setText(elapsed);
        return;
    }
    const tarvo::RecordingStatus status = m_fileRecorder->status();
    // The driver ended the recording on a failed write; stopping it tells the user why.
    if (status.fault != tarvo::RecordingFault::None) {
        finishManualRecording();
        return;
    }
    m_ui->lb_recoding_time->setText(
        elapsed + "  " + QLocale().formattedDataSize(qint64(VxFileRecorder::recordedBytes(status))));
}

void MainWidget::getEventsToShow()
{
    // The live loop has presented a new picture: the counts under the mouse follow it.
    if (m_viewerType == ViewerDvsCamera && m_hovering) {
        updatePixelStatus();
    }
}

void MainWidget::getEventsToShow(QPixmap* pixmap)
{
    if (!pixmap) {
        return;
    }
    m_ui->widget_show_image->showPixMap(*pixmap);
    if (m_viewerType == ViewerDvsCamera) {
        emit toShowCameraTimestamp(m_eventProcessor->lastBatchTimestamp());
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

// ---- displays --------------------------------------------------------------------------------

QString MainWidget::timeText(uint64_t timestamp_us)
{
    const uint64_t minutes = timestamp_us / 60000000;
    const uint64_t seconds = (timestamp_us / 1000000) % 60;
    const uint64_t micros = timestamp_us % 1000000;
    return QString("%1:%2:%3")
        .arg(minutes, 2, 10, QChar('0'))
        .arg(seconds, 2, 10, QChar('0'))
        .arg(micros, 6, 10, QChar('0'));
}

void MainWidget::showTimeStamp(uint64_t timestamp_us)
{
    if (m_viewerType == ViewerRawFile || m_viewerType == ViewerFusionFile) {
        m_slider->setCenterValue(timestamp_us);
        m_ui->label_time->setText(timeText(timestamp_us) + "/" + timeText(m_slider->rangeEnd()));
    } else {
        m_ui->label_show_timestamp_info->setText(timeText(timestamp_us));
    }
}

void MainWidget::showLocalTime(QString local_time)
{
    m_ui->label_show_timestamp_info->setText(local_time);
}

void MainWidget::showCameraSerial(QString serial)
{
    m_ui->label_show_camera_info->setText(serial);
}

void MainWidget::setShowTitleInfo(bool show)
{
    Q_UNUSED(show);
    m_ui->label_show_timestamp_info->clear();
    m_ui->label_show_camera_info->clear();
}

void MainWidget::showCameraPlayingUI(bool playing)
{
    setPlaybackEnabled(!playing);
    if (playing) {
        // The live view keeps its play button: it starts and stops the camera.
        m_ui->pb_play->setEnabled(true);
        m_ui->label_time->setText("--/--");
    }
}

void MainWidget::setPlaybackEnabled(bool enabled)
{
    for (QWidget* widget :
         {static_cast<QWidget*>(m_ui->pb_prv), static_cast<QWidget*>(m_ui->pb_play),
          static_cast<QWidget*>(m_ui->pb_stop), static_cast<QWidget*>(m_ui->pb_next),
          static_cast<QWidget*>(m_ui->pb_loop), static_cast<QWidget*>(m_ui->pb_viewer_setting),
          static_cast<QWidget*>(m_slider)}) {
        widget->setEnabled(enabled);
    }
}

void MainWidget::slotShowLeftBottomTips(QString text, VxMessageType type, QString file_path)
{
    auto* toast = new VxFilePathReminderForm(text, type, file_path, this);
    toast->move(x(), y() + height() - toast->height());
    toast->show();
    toast->raise();
}

void MainWidget::slotSetSliderStartTime(uint64_t timestamp_us)
{
    m_slider->setMinimum(timestamp_us);
}

void MainWidget::slotSetSliderEndTime(uint64_t timestamp_us)
{
    m_slider->setMaximum(timestamp_us);
}

void MainWidget::slotSetWaitWinStatus(bool show)
{
    if (show) {
        m_waitingWin->show();
    } else {
        m_waitingWin->close();
    }
}

void MainWidget::updateStatusBar()
{
    QStringList parts;
    for (const QString* part : {&m_statusCamera, &m_statusBandwidth, &m_statusEventRate, &m_statusOther}) {
        if (!part->trimmed().isEmpty()) {
            parts << part->trimmed();
        }
    }
    m_ui->lb_status_bar->setText(parts.join(QStringLiteral("  |  ")));
}

QString MainWidget::eventRateText(double events_per_second)
{
    if (events_per_second < 0) {
        return QString();
    }
    if (events_per_second >= 1e6) {
        return tr("%1 Mev/s").arg(events_per_second / 1e6, 0, 'f', 2);
    }
    if (events_per_second >= 1e3) {
        return tr("%1 kev/s").arg(events_per_second / 1e3, 0, 'f', 1);
    }
    return tr("%1 ev/s").arg(events_per_second, 0, 'f', 0);
}

void MainWidget::updateRecordingStatus()
{
    if (m_viewerType != ViewerRawFile || !m_sensorSize.isValid()) {
        return;
    }
    const uint64_t duration = m_slider->maximum() - m_slider->minimum();
    m_statusCamera = tr("%1 × %2 px, %3 long")
                         .arg(m_sensorSize.width())
                         .arg(m_sensorSize.height())
                         .arg(timeText(duration));
    m_statusBandwidth = tr("%1 events shown").arg(QLocale().toString(qulonglong(m_frameEvents)));
    m_statusEventRate = eventRateText(m_eventRate);
    updatePixelStatus();
}

void MainWidget::updatePixelStatus()
{
    uint16_t on = 0;
    uint16_t off = 0;
    if (m_hovering && (m_viewerType == ViewerRawFile || m_viewerType == ViewerDvsCamera) &&
        m_eventProcessor->countsAt(m_hoveredPixel.x(), m_hoveredPixel.y(), on, off)) {
        m_statusOther =
            tr("x %1, y %2: %3 ON, %4 OFF").arg(m_hoveredPixel.x()).arg(m_hoveredPixel.y()).arg(on).arg(off);
    } else {
        m_statusOther.clear();
    }
    updateStatusBar();
}

void MainWidget::slotSensorSize(QSize size)
{
    m_sensorSize = size;
}

void MainWidget::slotFrameStatistics(uint64_t events, double events_per_second)
{
    m_frameEvents = events;
    m_eventRate = events_per_second;
    updateRecordingStatus();
}

void MainWidget::slotPixelHovered(QPoint pixel)
{
    m_hovering = true;
    m_hoveredPixel = pixel;
    updatePixelStatus();
}

void MainWidget::slotHoverLeft()
{
    m_hovering = false;
    updatePixelStatus();
}

// ---- side bar and play bar -------------------------------------------------------------------

void MainWidget::showSidePanel(QWidget* panel)
{
    for (QWidget* candidate : {static_cast<QWidget*>(m_cameraPanel), static_cast<QWidget*>(m_dvsPanel),
                               static_cast<QWidget*>(m_apsPanel)}) {
        candidate->setVisible(candidate == panel);
    }
    m_ui->pb_fold_setting->setChecked(panel && panel == m_cameraPanel);
    m_ui->pb_fold_dvs_setting->setChecked(panel && panel == m_dvsPanel);
    m_ui->pb_fold_aps_setting->setChecked(panel && panel == m_apsPanel);
    const int sideBar = m_ui->widget_side_bar->maximumWidth();
    const int width = panel ? kSettingAreaWidth : sideBar;
    m_ui->frame_setting->setMaximumWidth(width);
    m_ui->frame_setting->setMinimumWidth(width);
    const int total = m_ui->splitter->width();
    m_ui->splitter->setSizes({width, std::max(total - width, 1)});
}

void MainWidget::on_pb_fold_setting_clicked(bool checked)
{
    showSidePanel(checked ? m_cameraPanel : nullptr);
}

void MainWidget::on_pb_fold_dvs_setting_clicked(bool checked)
{
    showSidePanel(checked ? m_dvsPanel : nullptr);
}

void MainWidget::on_pb_fold_aps_setting_clicked(bool checked)
{
    showSidePanel(checked ? m_apsPanel : nullptr);
}

void MainWidget::on_pb_fold_general_setting_clicked()
{
    // The side-bar button stays down while the dialog is open.
    m_ui->pb_fold_general_setting->setChecked(true);
    VxGeneralSetting dialog(m_appConfig, this);
    connect(&dialog, &VxGeneralSetting::signalTriggerInSaveFileParamChanged, this,
            &MainWidget::initDvsCameraSettings);
    if (dialog.exec() == QDialog::Accepted) {
        applyTheme();
    }
    m_ui->pb_fold_general_setting->setChecked(false);
}

void MainWidget::applyTheme()
{
    m_ui->widget_show_image->setBackgroundColor(m_appConfig->backgroundColor());
    m_eventProcessor->repaint();
}

void MainWidget::slotAccumulationTimeChanged(uint64_t time_us)
{
    m_accTimeUs = time_us;
    m_eventProcessor->setAccTime(time_us);
    m_fusionProcessor->setAccTime(time_us);
    m_live->setBatchTime(time_us);
    if (m_viewerType == ViewerRawFile && m_eventProcessor->hasFile() && !m_eventProcessor->isPlaying()) {
        m_eventProcessor->setPlayPos(m_eventProcessor->currentTimestamp());
    }
    if (m_viewerType == ViewerFusionFile && m_fusionProcessor->hasRecording() &&
        !m_fusionProcessor->isPlaying()) {
        m_fusionProcessor->setPlayPos(m_fusionProcessor->timebase());
    }
}

void MainWidget::slotFrameRateChanged(uint32_t fps)
{
    m_liveFps = uint16_t(std::min<uint32_t>(fps, std::numeric_limits<uint16_t>::max()));
    m_eventProcessor->setFps(int(fps));
    m_fusionProcessor->setFps(int(fps));
    m_live->setFps(m_liveFps);
}

void MainWidget::on_pb_viewer_setting_clicked(bool checked)
{
    Q_UNUSED(checked);
    // Above the button, right-aligned with it.
    const QSize size = m_menuViewerSetting->sizeHint();
    const QPoint corner = m_ui->pb_viewer_setting->mapToGlobal(
        QPoint(m_ui->pb_viewer_setting->width() - size.width(), -size.height()));
    m_menuViewerSetting->popup(corner);
}

void MainWidget::slotStartEndPointEditable(bool editable)
{
    m_slider->setMode(editable ? VxThreeHandleSlider::CenterAndRange : VxThreeHandleSlider::CenterOnly);
}

void MainWidget::on_pb_viewer_type_clicked()
{
    setShowType((m_showType + 1) % 3);
}

void MainWidget::setShowType(int type)
{
    static const char* const kTypes[] = {"dvs", "aps", "fusion"};
    m_showType = type;
    m_ui->pb_viewer_type->setProperty("type", kTypes[m_showType]);
    repolish(m_ui->pb_viewer_type);
    emit signalSetViewerShowType(static_cast<tarvo::STREAM_TYPE>(m_showType));
}

// ---- window ----------------------------------------------------------------------------------

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
    repolish(m_ui->pb_win_max);
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

void MainWidget::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (m_waitingWin && m_waitingWin->isVisible()) {
        m_waitingWin->centerOnWidget();
    }
}

void MainWidget::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        m_ui->pb_play->click();
        break;
    case Qt::Key_Left:
        m_ui->pb_prv->click();
        break;
    case Qt::Key_Right:
        m_ui->pb_next->click();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
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
