#pragma once

#include "VxMessageType.h"

#include "TarvoDriver/DvsTypes.h"

#include <QElapsedTimer>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QPushButton;
class QTimer;
class AppConfig;
class CameraToolPanel;
class SidebarApsSettingUI;
class SidebarCameraSettingUI;
class SidebarDvsSettingUI;
class VxEventProcessor;
class VxFileRecorder;
class VxFusionCameraDataProcessor;
class VxLiveCamera;
class VxThreeHandleSlider;
class VxToolTip;
class WaitingWin;

namespace QWK {
class WidgetWindowAgent;
}
namespace tarvo {
struct CameraDescription;
}
namespace Ui {
class MainWidget;
}

// The viewer's main window: a frameless window with its own title bar, menus, the settings side
// bar, the event image, the timeline and play bar, and a status line. It owns the playback
// engine and routes the user's commands to it.
class MainWidget : public QWidget
{
    Q_OBJECT

public:
    // What the window shows.
    enum ViewerType
    {
        ViewerNone = 0,
        ViewerDvsCamera = 1,
        ViewerFusionCamera = 2,
        ViewerRawFile = 3,
        ViewerFusionFile = 4,
    };
    Q_ENUM(ViewerType)

    // The commands of the title-bar menus, carried by each action's data so that the dispatch
    // does not depend on the (translated) texts.
    enum class MenuCommand
    {
        OpenRecording,
        SaveAs,
        CutRecording,
        Quit,
        OpenCamera,
        OpenFoundCamera, // one of the cameras the Device menu lists; the action's "serial" names it
        CameraInfo,
        IpConfiguration,
        GeneralSetting,
        SwitchLanguage,
        AboutUs,
    };
    Q_ENUM(MenuCommand)

    // Starts a fresh copy of the program; true when it was started.
    using RestartLauncher = std::function<bool()>;

    explicit MainWidget(QWidget* parent = nullptr);
    ~MainWidget() override;

    // Replaces how the program restarts after a language switch (tests start nothing).
    void setRestartLauncher(RestartLauncher launcher) { m_restartLauncher = std::move(launcher); }
    QWK::WidgetWindowAgent* windowAgent() const { return m_windowAgent; }
    VxEventProcessor* eventProcessor() const { return m_eventProcessor; }
    VxFusionCameraDataProcessor* fusionProcessor() const { return m_fusionProcessor; }
    VxLiveCamera* liveCamera() const { return m_live; }
    VxFileRecorder* fileRecorder() const { return m_fileRecorder; }
    VxThreeHandleSlider* timeSlider() const { return m_slider; }
    SidebarCameraSettingUI* cameraPanel() const { return m_cameraPanel; }
    // The event and frame sensor panels: whoever opens a camera hands it to both with
    // setCamera(); each shows its side-bar button while it has settings to show.
    SidebarDvsSettingUI* dvsPanel() const { return m_dvsPanel; }
    SidebarApsSettingUI* apsPanel() const { return m_apsPanel; }
    // What the display panel has set: the event time of a picture and the frames per second of
    // event time, for playback now and the live view later.
    uint64_t accumulationTimeUs() const { return m_accTimeUs; }
    uint16_t liveFps() const { return m_liveFps; }
    WaitingWin* waitingWin() const { return m_waitingWin; }
    ViewerType viewerType() const { return m_viewerType; }
    int showType() const { return m_showType; }
    QAction* saveAsAction() const { return m_actionSaveAs; }
    QAction* cutRecordingAction() const { return m_actionCutRecording; }
    // The menu action that runs `command`.
    QAction* menuAction(MenuCommand command) const;

    // Opens a recording as the file chooser does once a file is picked: a RAW file alone plays
    // back, one with an MP4 of the same base name beside it is a fusion recording.
    void openRecording(const QString& path);
    // Opens the camera with this serial as the Device menu's entries do: the window shows it
    // live once it is up, or says why it is not.
    void openCamera(const QString& serial);

    // Time text of the timeline: minutes (at least two digits), seconds and microseconds.
    static QString timeText(uint64_t timestamp_us);
    // An event rate in ev/s, kev/s or Mev/s; empty when unknown (negative).
    static QString eventRateText(double events_per_second);

Q_SIGNALS:
    void triggerEventsToShow();
    void triggerShowPixmap(QPixmap* pixmap);
    void resetShowCameraFormTitle(bool show);
    void toShowCameraSerial(QString serial);
    void toShowCameraTimestamp(uint64_t timestamp_us);
    void setShowCameraLiveUI(bool playing);
    void signalSetViewerShowType(tarvo::STREAM_TYPE type);
    void signalFusionFilePlayControl(bool play);
    void signalShowLeftBottomTips(QString text, VxMessageType type, QString file_path);
    void signalPlaybackReset();
    void signalPlaybackCtrl(bool play);
    void signalOpenRawFile(QString path);
    void signalOpenFusionFile(QString path);
    void signalExportVideo(QString out_path, QString out_dir, uint64_t start_ts, uint64_t end_ts);
    void signalCutRawFile(QString out_path, QString out_dir, uint64_t start_ts, uint64_t end_ts);
    void signalRecByTime(uint32_t seconds, QString path);

public Q_SLOTS:
    void initDvsCameraSettings();
    void showCameraPlayingUI(bool playing);
    void on_pb_record_clicked();
    void on_pb_win_min_clicked();
    void on_pb_win_max_clicked();
    void on_pb_win_close_clicked();
    void maximizedChanged(bool maximized);
    void openActionSlot(QAction* action);
    void slotOpenRecording();
    void slotShowToolIPConfig();
    void slotSaveAs();
    void slotCutRecording();
    void slotOpenCamera();
    void slotShowCameraInfo();
    void setShowTitleInfo(bool show);
    void showCameraSerial(QString serial);
    void showTimeStamp(uint64_t timestamp_us);
    void showLocalTime(QString local_time);
    void on_pb_fold_setting_clicked(bool checked);
    void on_pb_viewer_setting_clicked(bool checked);
    void slotStartEndPointEditable(bool editable);
    void on_pb_fold_general_setting_clicked();
    void on_pb_fold_dvs_setting_clicked(bool checked);
    void on_pb_fold_aps_setting_clicked(bool checked);
    void on_pb_viewer_type_clicked();
    void on_pb_play_clicked(bool checked);
    void slotShowLeftBottomTips(QString text, VxMessageType type, QString file_path);
    void getEventsToShow();
    void getEventsToShow(QPixmap* pixmap);
    void slotSetSliderStartTime(uint64_t timestamp_us);
    void slotSetSliderEndTime(uint64_t timestamp_us);
    void slotSetWaitWinStatus(bool show);
    // Asks whether to restart in the other language and does so on consent.
    void slotSwitchLanguage();
    // Asks whether to open the maker's web page in the browser.
    void slotOpenWebPage();
    // The end of a recording's load: on success the recording's commands appear, on failure
    // the window returns to showing nothing.
    void slotFileLoaded(bool loaded);
    void slotFusionFileLoaded(bool loaded);
    // The fusion processor's playback started or stopped.
    void slotFusionPlayStatus(bool playing);
    void slotSensorSize(QSize size);
    void slotFrameStatistics(uint64_t events, double events_per_second);
    void slotPixelHovered(QPoint pixel);
    void slotHoverLeft();
    // The display panel's accumulation time: the pictures from now on show that much event
    // time, and a paused recording shows its position again at once.
    void slotAccumulationTimeChanged(uint64_t time_us);
    void slotFrameRateChanged(uint32_t fps);
    // The end of a camera's opening on the worker thread.
    void slotCameraOpenFinished(bool opened, QString reason);
    // The live camera's statistics of the last second.
    void slotLiveStatistics(quint64 bytes_per_second, quint64 events_per_second, quint64 dropped_buffers);
    // The live loop ended by itself (a lost camera): the window says so and stops the camera.
    void slotLiveEnded(QString reason);
    // Once a second while recording by hand: the elapsed time and the file's size, and the end
    // of a recording whose writing failed.
    void slotRecordingTick();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createMenus();
    QAction* addMenuCommand(QMenu* menu, MenuCommand command, const QString& text, const QString& icon = {});
    void createViewerSettingMenu();
    void createSidePanels();
    // Shows the side-bar button of a camera settings panel while the panel has settings.
    void connectCameraToolPanel(CameraToolPanel* panel, QPushButton* button);
    void createTooltips();
    void connectEngine();
    void connectFusionProcessor();
    void setTitleBarCorners(bool rounded);
    // Shows one of the side panels (or none) and sizes the settings area to fit.
    void showSidePanel(QWidget* panel);
    // Gives the image view the event theme's background and paints the picture again in it.
    void applyTheme();
    void setPlaybackEnabled(bool enabled);
    void setRecordingCommandsVisible(bool visible);
    // Clears the timeline, the time texts and the status line of a recording that went.
    void clearRecordingDisplays();
    void updatePixelStatus();
    void updateStatusBar();
    // The parts of the status line of a recording: sensor size and duration, then the picture.
    void updateRecordingStatus();
    // Keeps a menu's title button from staying highlighted after the menu closes.
    void releaseMenuButton(QPushButton* button);
    // The Device menu lists the cameras a search finds as it opens.
    void listFoundCameras();
    bool isLiveType() const { return m_viewerType == ViewerDvsCamera || m_viewerType == ViewerFusionCamera; }
    // Closes what the window shows and opens the camera described (a worker thread brings it up
    // while the waiting window shows).
    void openCameraDescription(const tarvo::CameraDescription& camera);
    void beginCameraOpening(const tarvo::CameraDescription& camera);
    // Starts or stops the open camera's live view (the play button's toggle).
    void playLiveCamera(bool on);
    // Gives the opened fusion camera's calibration and callbacks to the fusion processor.
    void attachFusionCamera();
    // Sets which stream the fusion view shows (0 DVS, 1 APS, 2 fused) and tells the processor.
    void setShowType(int type);
    // Ends the live view and stops the camera; the play button is released.
    void stopLiveView();
    // Stops and lets go of the camera, when one is open, before a recording takes the window.
    void closeCamera();
    void showDroppedBuffers(uint64_t dropped);
    // Ends the recording started by hand: the button and the time go, and the recorder announces
    // how it ended.
    void finishManualRecording();
    // The record button of a fusion camera: the driver records its events, frames and
    // calibration side by side.
    void recordFusionCamera();
    // Takes back what initDvsCameraSettings armed on the camera.
    void disarmTriggerRecording();
    void updateCameraCommands();

    Ui::MainWidget* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;
    AppConfig* m_appConfig = nullptr;
    RestartLauncher m_restartLauncher;

    VxEventProcessor* m_eventProcessor = nullptr;
    VxFusionCameraDataProcessor* m_fusionProcessor = nullptr;
    VxLiveCamera* m_live = nullptr;
    VxFileRecorder* m_fileRecorder = nullptr;
    VxThreeHandleSlider* m_slider = nullptr;
    WaitingWin* m_waitingWin = nullptr;
    SidebarCameraSettingUI* m_cameraPanel = nullptr;
    SidebarDvsSettingUI* m_dvsPanel = nullptr;
    SidebarApsSettingUI* m_apsPanel = nullptr;

    ViewerType m_viewerType = ViewerNone;
    int m_showType = 0;
    uint16_t m_liveFps = 33;
    uint64_t m_accTimeUs = 33333;
    // A recording started with the record button runs; its start and the label's clock.
    bool m_recording = false;
    QElapsedTimer m_recordingClock;
    QTimer* m_recordingTimer = nullptr;
    // The camera's trigger-in callback that starts timed recordings; -1 when none is registered.
    int64_t m_triggerCallbackId = -1;

    // The status line's parts. A camera: camera, bandwidth, event rate. A recording: sensor
    // size and length, events in the picture, event rate there, the pixel under the mouse.
    QString m_statusCamera;
    QString m_statusBandwidth;
    QString m_statusEventRate;
    QString m_statusOther;

    // What the status line says about the open recording and the pixel under the mouse.
    QSize m_sensorSize;
    uint64_t m_frameEvents = 0;
    double m_eventRate = -1;
    QPoint m_hoveredPixel;
    bool m_hovering = false;
    // The raw buffers the live camera lost since it started, as last reported.
    uint64_t m_droppedBuffers = 0;

    QMenu* m_menuFile = nullptr;
    QMenu* m_menuDevice = nullptr;
    QMenu* m_menuSetting = nullptr;
    QMenu* m_menuHelp = nullptr;
    QMenu* m_menuTools = nullptr;
    QMenu* m_menuViewerSetting = nullptr;
    QList<QAction*> m_commandActions;
    QAction* m_actionSaveAs = nullptr;
    QAction* m_actionCutRecording = nullptr;
    QAction* m_actionToggleStartEnd = nullptr;
    // The Device menu's entries of the cameras found by its last search.
    QList<QAction*> m_foundCameraActions;
};
