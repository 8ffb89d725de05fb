#include "SidebarApsSettingUI.h"

#include "CameraParameterTexts.h"
#include "SettingBaseWithLineEdit.h"
#include "SettingItemBox.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

const char* const kOffsetX = "offset_x";
const char* const kOffsetY = "offset_y";
// The shift a user may need to line up frames and events, in frame-sensor pixels.
constexpr int kMaxOffset = 100;

const char* const kApplyStyle =
    "#pb_apply_cali_offset { font-family: \"Noto Sans SC Medium\"; font-size: 12px; color: #FFFFFF;"
    " background: #004B6A; border: none; border-radius: 4px; }"
    "#pb_apply_cali_offset:hover { background: #1A6482; }"
    "#pb_apply_cali_offset:pressed { background: #003A52; }";

} // namespace

SidebarApsSettingUI::SidebarApsSettingUI(AppConfig* config, QWidget* parent) : CameraToolPanel(config, parent)
{
    buildCalibrationBox();
    updateHint();
}

SettingBaseWithLineEdit* SidebarApsSettingUI::makeOffsetRow(const char* name)
{
    auto* row = new SettingBaseWithLineEdit(name, SettingBaseWithLineEdit::Kind::Integer, m_calibrationBox);
    row->setObjectName(QString("row_") + name);
    row->setRange(-kMaxOffset, kMaxOffset);
    connect(row, qOverload<std::string, int>(&SettingBaseWithLineEdit::signalItemValueChanged), this,
            &SidebarApsSettingUI::onOffsetChanged);
    m_calibrationBox->addRow(row);
    return row;
}

void SidebarApsSettingUI::buildCalibrationBox()
{
    m_calibrationBox = new SettingItemBox(QString(), this);
    m_calibrationBox->setObjectName("box_manual_calibration");
    m_offsetXRow = makeOffsetRow(kOffsetX);
    m_offsetYRow = makeOffsetRow(kOffsetY);

    auto* buttonRow = new QWidget(m_calibrationBox);
    auto* layout = new QHBoxLayout(buttonRow);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->addStretch(1);
    m_applyButton = new QPushButton(buttonRow);
    m_applyButton->setObjectName("pb_apply_cali_offset");
    m_applyButton->setFixedSize(60, 20);
    m_applyButton->setCursor(Qt::PointingHandCursor);
    m_applyButton->setStyleSheet(kApplyStyle);
    layout->addWidget(m_applyButton);
    connect(m_applyButton, &QPushButton::clicked, this, &SidebarApsSettingUI::onApplyClicked);
    m_calibrationBox->addRow(buttonRow);

    retranslateCalibration();
    m_calibrationBox->hide();
    addPanelBox(m_calibrationBox);
}

void SidebarApsSettingUI::retranslateCalibration()
{
    m_calibrationBox->setTitle(tr("APS Manual Calibration"));
    m_offsetXRow->setToolTip(tr("Set aps offset x."));
    m_offsetYRow->setToolTip(tr("Set aps offset y."));
    m_offsetXRow->setUnit(CameraParameterTexts::unit("px"));
    m_offsetYRow->setUnit(CameraParameterTexts::unit("px"));
    m_applyButton->setText(tr("Apply"));
    m_applyButton->setToolTip(tr("Keep the shift in the camera's calibration"));
}

bool SidebarApsSettingUI::showsTool(tarvo::ToolType type) const
{
    return type == tarvo::TOOL_APS_CTRL;
}

QString SidebarApsSettingUI::emptyHint() const
{
    return tr("Open a fusion camera to adjust its frame sensor here.");
}

void SidebarApsSettingUI::cameraShown(const PanelCamera& camera)
{
    // Only a fusion camera lays frames over events. Opening one loads its own calibration, which
    // starts without a shift: the rows and the view agree on zero.
    m_calibrationBox->setVisible(camera.fusion);
    if (camera.fusion) {
        showZeroOffset();
        emit signalManualCaliOffsetXY(m_offsetX, m_offsetY);
    }
}

void SidebarApsSettingUI::onOffsetChanged(const std::string& name, int value)
{
    (name == kOffsetX ? m_offsetX : m_offsetY) = value;
    emit signalManualCaliOffsetXY(m_offsetX, m_offsetY);
}

void SidebarApsSettingUI::onApplyClicked()
{
    emit signalApplyCaliOffset();
    // Applying folds the shift into the calibration and leaves none pending; rows that kept
    // showing it would add it a second time with the next change.
    showZeroOffset();
}

void SidebarApsSettingUI::showZeroOffset()
{
    m_offsetX = 0;
    m_offsetY = 0;
    m_offsetXRow->slotItemValueChanged(kOffsetX, 0);
    m_offsetYRow->slotItemValueChanged(kOffsetY, 0);
}

void SidebarApsSettingUI::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateCalibration();
    }
    CameraToolPanel::changeEvent(event);
}
