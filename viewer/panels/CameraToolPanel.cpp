#include "CameraToolPanel.h"

#include "AppConfig.h"
#include "ToolSettingBox.h"
#include "VxCameraConfigFile.h"

#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/FusionCamera.h"

#include <QDebug>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kPanelStyle =
    "#lb_panel_hint { font-family: \"Noto Sans SC Medium\"; font-size: 12px; color: #888888; padding: 12px; }"
    "#scroll_tool_boxes, #widget_tool_boxes { background: transparent; border: none; }"
    "#line_tool_buttons { background: #004B6A; border: none; }"
    "#widget_tool_buttons QPushButton { font-family: \"Noto Sans SC Medium\"; font-size: 12px; color: "
    "#004B6A;"
    " background: #FFFFFF; border: 1px solid #004B6A; border-radius: 4px; min-height: 26px; }"
    "#widget_tool_buttons QPushButton:hover { background: #D7E7EE; }"
    "#widget_tool_buttons QPushButton:pressed { background: #B9D3DE; }";

// How the log names a tool whose box is left out for want of parameters.
QString missingToolName(const tarvo::ToolInfo& info)
{
    switch (info.type) {
    case tarvo::TOOL_TRIGGER_IN:
        return "trigger";
    case tarvo::TOOL_APS_CTRL:
        return "aps infos";
    default:
        return QString::fromStdString(info.name).toLower();
    }
}

} // namespace

CameraToolPanel::CameraToolPanel(AppConfig* config, QWidget* parent)
    : QWidget(parent), m_config(config), m_hint(new QLabel(this)), m_scroll(new QScrollArea(this)),
      m_separator(new QFrame(this)), m_buttonRow(new QWidget(this)),
      m_defaultButton(new QPushButton(m_buttonRow)), m_refreshButton(new QPushButton(m_buttonRow)),
      m_importButton(new QPushButton(m_buttonRow)), m_exportButton(new QPushButton(m_buttonRow))
{
    setStyleSheet(kPanelStyle);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);

    m_hint->setObjectName("lb_panel_hint");
    m_hint->setWordWrap(true);
    m_hint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_hint->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    layout->addWidget(m_hint);

    // Several open boxes are taller than the side bar: they scroll, the buttons stay in view.
    m_scroll->setObjectName("scroll_tool_boxes");
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* host = new QWidget;
    host->setObjectName("widget_tool_boxes");
    m_boxLayout = new QVBoxLayout(host);
    m_boxLayout->setContentsMargins(0, 0, 0, 0);
    m_boxLayout->setSpacing(8);
    m_boxLayout->addStretch(1);
    m_scroll->setWidget(host);
    layout->addWidget(m_scroll, 1);

    m_separator->setObjectName("line_tool_buttons");
    m_separator->setFixedHeight(2);
    layout->addWidget(m_separator);
    buildButtonRow();
    layout->addWidget(m_buttonRow);

    retranslate();
    showBoxes(false);
}

void CameraToolPanel::buildButtonRow()
{
    m_buttonRow->setObjectName("widget_tool_buttons");
    auto* row = new QHBoxLayout(m_buttonRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    const std::pair<QPushButton*, const char*> buttons[] = {
        {m_defaultButton, "default_button"},
        {m_refreshButton, "refresh_button"},
        {m_importButton, "import_button"},
        {m_exportButton, "export_button"},
    };
    for (const auto& [button, name] : buttons) {
        button->setObjectName(name);
        button->setCursor(Qt::PointingHandCursor);
        row->addWidget(button);
    }
    connect(m_defaultButton, &QPushButton::clicked, this, &CameraToolPanel::slotDefaultConfig);
    connect(m_refreshButton, &QPushButton::clicked, this, &CameraToolPanel::slotRefreshConfig);
    connect(m_importButton, &QPushButton::clicked, this, &CameraToolPanel::slotLoadConfig);
    connect(m_exportButton, &QPushButton::clicked, this, &CameraToolPanel::slotExportConfig);
}

void CameraToolPanel::retranslate()
{
    m_defaultButton->setText(tr("Default"));
    m_refreshButton->setText(tr("Refresh"));
    m_importButton->setText(tr("Load"));
    m_exportButton->setText(tr("Export"));
    m_defaultButton->setToolTip(tr("Give the camera the default settings"));
    m_refreshButton->setToolTip(tr("Show the settings the camera has now"));
    m_importButton->setToolTip(tr("Give the camera the settings of a configuration file"));
    m_exportButton->setToolTip(tr("Save the camera's settings to a configuration file"));
}

QString CameraToolPanel::hintText() const
{
    return m_hint->text();
}

void CameraToolPanel::updateHint()
{
    m_hint->setText(emptyHint());
}

void CameraToolPanel::showBoxes(bool shown)
{
    m_hint->setVisible(!shown);
    m_scroll->setVisible(shown);
    m_separator->setVisible(shown);
    m_buttonRow->setVisible(shown);
}

ToolSettingBox* CameraToolPanel::box(tarvo::ToolType type) const
{
    for (ToolSettingBox* candidate : m_boxes) {
        if (candidate->toolType() == type) {
            return candidate;
        }
    }
    return nullptr;
}

void CameraToolPanel::setCamera(std::shared_ptr<tarvo::DvsCamera> camera)
{
    setCameraTools(PanelCamera::of(camera),
                   {m_config->dvsCameraCurrentConfigPath(), m_config->dvsDefaultConfigPath()});
}

void CameraToolPanel::setCamera(std::shared_ptr<tarvo::FusionCamera> camera)
{
    PanelCamera made = PanelCamera::of(camera);
    made.fusion = camera != nullptr;
    setCameraTools(std::move(made),
                   {m_config->fusionCameraCurrentConfigPath(), m_config->fusionDefaultConfigPath()});
}

void CameraToolPanel::addPanelBox(QWidget* box)
{
    // Before the stretch that keeps the boxes at the top; the tools' boxes go in front.
    m_boxLayout->insertWidget(m_boxLayout->count() - 1, box);
}

void CameraToolPanel::setCameraTools(PanelCamera camera, ConfigFiles files)
{
    qDeleteAll(m_boxes);
    m_boxes.clear();
    m_camera = std::move(camera);
    m_files = std::move(files);

    std::vector<PanelCamera::Tool> shown;
    for (const PanelCamera::Tool& tool : m_camera.tools) {
        if (showsTool(tool.first.type)) {
            shown.push_back(tool);
        }
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [this](const PanelCamera::Tool& a, const PanelCamera::Tool& b) {
                         return toolRank(a.first.type) < toolRank(b.first.type);
                     });
    QWidget* host = m_scroll->widget();
    for (const auto& [info, tool] : shown) {
        if (!tool) {
            qDebug() << "Camera tool is null .";
            continue;
        }
        if (tool->getAllParamInfo().empty()) {
            qDebug().noquote() << "camera" << missingToolName(info) << "is null .";
            continue;
        }
        auto* made = new ToolSettingBox(info, tool, m_files.current, host);
        connect(made, &ToolSettingBox::signalShowLeftBottomTips, this,
                &CameraToolPanel::signalShowLeftBottomTips);
        // After the boxes made so far, before the panel's own boxes.
        m_boxLayout->insertWidget(int(m_boxes.size()), made);
        // At once, not when the layout gets round to it: callers look at the panel right away.
        made->show();
        m_boxes.append(made);
    }
    if (m_boxes.isEmpty()) {
        // Nothing here to set: the camera is not held for nothing.
        m_camera = PanelCamera();
    }
    showBoxes(hasCamera());
    if (hasCamera()) {
        cameraShown(m_camera);
    }
    emit signalCameraShown(hasCamera());
}

void CameraToolPanel::clearCamera()
{
    setCameraTools(PanelCamera(), ConfigFiles());
}

bool CameraToolPanel::applyConfigFile(const QString& path, QString& problem)
{
    problem = VxCameraConfigFile::problemWith(path, m_camera.tools);
    if (!problem.isEmpty()) {
        return false;
    }
    if (!m_camera.isConnected()) {
        problem = tr("The camera is not connected.");
        return false;
    }
    // The camera applies a file value by value. Values that must agree with each other (the two
    // ends of a frequency band) can only be judged by the camera, which may refuse one after
    // others were set: the settings it had are kept aside to put back then.
    QTemporaryDir aside;
    const std::string before = aside.filePath("before.json").toStdString();
    if (!aside.isValid() || !m_camera.exportConfig(before)) {
        problem = tr("The camera's present settings could not be kept aside first.");
        return false;
    }
    if (m_camera.loadConfig(path.toStdString())) {
        return true;
    }
    // Putting back in name order may meet the same kind of refusal; a second pass, with the rest
    // in place, clears it.
    const bool restored = m_camera.loadConfig(before) || m_camera.loadConfig(before);
    problem = restored ? tr("The camera refused some of its values together; it keeps its previous settings.")
                       : tr("The camera refused some of its values together, and its previous settings could "
                            "not all be put back.");
    return false;
}

bool CameraToolPanel::loadWithNotice(const QString& path, const QString& failure)
{
    QString problem;
    if (!hasCamera()) {
        emit signalShowLeftBottomTips(failure, VxMessageType::Error, QString());
        return false;
    }
    if (!applyConfigFile(path, problem)) {
        emit signalShowLeftBottomTips(failure + " " + problem, VxMessageType::Error, QString());
        return false;
    }
    slotRefreshConfig();
    keepInCurrentConfig();
    emit signalCameraParamsLoaded();
    emit signalShowLeftBottomTips(tr("Camera parameters loaded successfully."), VxMessageType::Success,
                                  QString());
    return true;
}

bool CameraToolPanel::loadConfig(const QString& path)
{
    return loadWithNotice(path, tr("Failed to load camera parameters."));
}

void CameraToolPanel::slotDefaultConfig()
{
    loadWithNotice(m_files.defaults, tr("Camera parameters loaded failed."));
}

void CameraToolPanel::keepInCurrentConfig()
{
    if (!m_files.current.isEmpty() && !m_camera.exportConfig(m_files.current.toStdString())) {
        qWarning() << "无法打开 JSON 文件进行写入:" << m_files.current;
    }
}

bool CameraToolPanel::exportConfig(const QString& path)
{
    // Writing to a pipe or a device would wait for a reader for good.
    const QFileInfo target(path);
    if (!hasCamera() || (target.exists() && !target.isFile()) || !m_camera.exportConfig(path.toStdString())) {
        emit signalShowLeftBottomTips(tr("Failed to export camera parameters."), VxMessageType::Error,
                                      QString());
        return false;
    }
    emit signalShowLeftBottomTips(tr("Camera parameters exported successfully."), VxMessageType::Success,
                                  QString());
    return true;
}

void CameraToolPanel::slotLoadConfig()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Select a JSON file"), QFileInfo(m_files.current).absolutePath(), tr("Json file (*.json)"));
    if (!path.isEmpty()) {
        loadConfig(path);
    }
}

void CameraToolPanel::slotExportConfig()
{
    QString path = QFileDialog::getSaveFileName(
        this, tr("Select a JSON file"), QFileInfo(m_files.current).absolutePath(), tr("Json file (*.json)"));
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += ".json";
    }
    exportConfig(path);
}

void CameraToolPanel::slotRefreshConfig()
{
    for (ToolSettingBox* shown : m_boxes) {
        shown->refresh();
    }
}

void CameraToolPanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        updateHint();
    }
    QWidget::changeEvent(event);
}
