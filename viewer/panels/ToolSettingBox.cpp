#include "ToolSettingBox.h"

#include "CameraParameterTexts.h"
#include "SettingBaseWithComboBox.h"
#include "SettingBaseWithLineEdit.h"
#include "SettingBaseWithSwitchButton.h"
#include "SettingBaseWithTextEdit.h"
#include "VxCameraConfigFile.h"
#include "VxDriverErrorTrap.h"

#include <QDebug>
#include <QEvent>

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

QString shownValue(int value)
{
    return QString::number(value);
}

QString shownValue(float value)
{
    return QString::number(double(value), 'g', 6);
}

QString shownValue(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString shownValue(const std::string& value)
{
    return QString::fromStdString(value);
}

} // namespace

ToolSettingBox::ToolSettingBox(const tarvo::ToolInfo& info, std::shared_ptr<tarvo::CameraTool> tool,
                               const QString& configPath, QWidget* parent)
    : SettingItemBox(titleOf(info), parent), m_info(info), m_tool(std::move(tool)), m_configPath(configPath)
{
    setObjectName(QString::fromStdString("box_" + info.name));
    // The switch that turns the tool on first, then the tool's own order, then any parameter
    // it does not list, by name.
    const auto all = m_tool->getAllParamInfo();
    std::vector<std::string> order;
    if (all.count("enable") != 0) {
        order.push_back("enable");
    }
    for (const std::string& name : info.parameters) {
        if (std::find(order.begin(), order.end(), name) == order.end()) {
            order.push_back(name);
        }
    }
    for (const auto& [name, basic] : all) {
        if (std::find(order.begin(), order.end(), name) == order.end()) {
            order.push_back(name);
        }
    }
    for (const std::string& name : order) {
        const auto found = all.find(name);
        if (found != all.end()) {
            addParameterRow(name, found->second);
        }
    }
    refresh();
}

QString ToolSettingBox::titleOf(const tarvo::ToolInfo& info)
{
    switch (info.type) {
    case tarvo::TOOL_BIASES:
        return tr("Biases");
    case tarvo::TOOL_TRIGGER_IN:
        return tr("Trigger In");
    case tarvo::TOOL_SYNC:
        return tr("Sync");
    case tarvo::TOOL_ANTI_FLICKER:
        return tr("Anti Flicker");
    case tarvo::TOOL_EVENT_TRAIL_FILTER:
        return tr("Event Trail Filter");
    case tarvo::TOOL_EVENT_RATE_CONTROL:
        return tr("Event Rate Control");
    case tarvo::TOOL_ROI:
        return tr("ROI");
    case tarvo::TOOL_APS_CTRL:
        return tr("APS");
    case tarvo::TOOL_ETH_CONFIG:
        return tr("Network");
    }
    return QString::fromStdString(info.name);
}

SettingRowBase* ToolSettingBox::row(const std::string& name) const
{
    const auto found = m_rows.find(name);
    return found == m_rows.end() ? nullptr : found->second.widget;
}

template <typename T, typename RowWidget> void ToolSettingBox::connectRow(RowWidget* row)
{
    connect(row, qOverload<std::string, T>(&RowWidget::signalItemValueChanged), this,
            [this](const std::string& parameter, const T& value) { deliver(parameter, value); });
    connect(this, qOverload<std::string, T>(&ToolSettingBox::signalSetValue), row,
            qOverload<std::string, T>(&RowWidget::slotItemValueChanged));
}

template <typename T> void ToolSettingBox::deliver(const std::string& name, const T& value)
{
    const auto found = m_rows.find(name);
    if (found == m_rows.end()) {
        return;
    }
    VxDriverErrorTrap trap;
    if (!m_tool->setParam(name, value)) {
        QString notice =
            tr("The camera did not take %1 = %2.").arg(CameraParameterTexts::label(name), shownValue(value));
        if (!trap.lastError().isEmpty()) {
            notice += " " + trap.lastError();
        }
        showCurrent(name, found->second);
        emit signalShowLeftBottomTips(notice, VxMessageType::Warning, QString());
        return;
    }
    // Texts (network addresses) belong to this camera alone and stay out of configuration files.
    if (found->second.type != tarvo::PARAMETER_STRING) {
        VxCameraConfigFile::updateValue(m_configPath, m_info.name, name, nlohmann::json(value));
    }
}

void ToolSettingBox::addParameterRow(const std::string& name, const tarvo::BasicParameterInfo& basic)
{
    QString range;
    SettingRowBase* made = nullptr;
    switch (basic.type) {
    case tarvo::PARAMETER_INT:
        made = makeIntRow(name, range);
        break;
    case tarvo::PARAMETER_FLOAT:
        made = makeFloatRow(name, range);
        break;
    case tarvo::PARAMETER_BOOL:
        made = makeBoolRow(name);
        break;
    case tarvo::PARAMETER_ENUM:
        made = makeEnumRow(name);
        break;
    case tarvo::PARAMETER_STRING:
        made = makeTextRow(name);
        break;
    default:
        qDebug() << "No row for the parameter" << QString::fromStdString(m_info.name + "." + name)
                 << "of kind" << basic.type;
        return;
    }
    if (!made) {
        qDebug() << "The tool does not describe" << QString::fromStdString(m_info.name + "." + name);
        return;
    }
    made->setObjectName(QString::fromStdString("row_" + name));
    QString tip = CameraParameterTexts::description(basic.description);
    if (!range.isEmpty()) {
        tip += (tip.isEmpty() ? "" : "\n") + range;
    }
    made->setToolTip(tip);
    // A value the camera only reports is shown, not offered for change.
    made->setEnabled(!basic.readOnly);
    m_rows[name] = Row{basic.type, made};
    addRow(made);
}

SettingRowBase* ToolSettingBox::makeIntRow(const std::string& name, QString& range)
{
    tarvo::IntParameterInfo info;
    if (!m_tool->getParamInfo(name, info)) {
        return nullptr;
    }
    auto* numeric = new SettingBaseWithLineEdit(name, SettingBaseWithLineEdit::Kind::Integer, this);
    numeric->setRange(info.min, info.max, info.step);
    numeric->setUnit(CameraParameterTexts::unit(info.unit));
    connectRow<int>(numeric);
    range = tr("%1 to %2 %3").arg(info.min).arg(info.max).arg(numeric->unit()).trimmed();
    return numeric;
}

SettingRowBase* ToolSettingBox::makeFloatRow(const std::string& name, QString& range)
{
    tarvo::FloatParameterInfo info;
    if (!m_tool->getParamInfo(name, info)) {
        return nullptr;
    }
    auto* numeric = new SettingBaseWithLineEdit(name, SettingBaseWithLineEdit::Kind::Float, this);
    numeric->setRange(info.min, info.max);
    numeric->setUnit(CameraParameterTexts::unit(info.unit));
    connectRow<float>(numeric);
    range = tr("%1 to %2 %3").arg(shownValue(info.min), shownValue(info.max), numeric->unit()).trimmed();
    return numeric;
}

SettingRowBase* ToolSettingBox::makeBoolRow(const std::string& name)
{
    tarvo::BoolParameterInfo info;
    if (!m_tool->getParamInfo(name, info)) {
        return nullptr;
    }
    auto* toggle = new SettingBaseWithSwitchButton(name, this);
    connectRow<bool>(toggle);
    return toggle;
}

SettingRowBase* ToolSettingBox::makeEnumRow(const std::string& name)
{
    tarvo::EnumParameterInfo info;
    if (!m_tool->getParamInfo(name, info)) {
        return nullptr;
    }
    auto* choice = new SettingBaseWithComboBox(name, info.options, this);
    connectRow<std::string>(choice);
    return choice;
}

SettingRowBase* ToolSettingBox::makeTextRow(const std::string& name)
{
    tarvo::StringParameterInfo info;
    if (!m_tool->getParamInfo(name, info)) {
        return nullptr;
    }
    auto* field = new SettingBaseWithTextEdit(name, int(std::min<size_t>(info.maxLength, 32767)), this);
    connectRow<std::string>(field);
    return field;
}

void ToolSettingBox::refresh()
{
    for (const auto& [name, row] : m_rows) {
        showCurrent(name, row);
    }
}

void ToolSettingBox::showCurrent(const std::string& name, const Row& row)
{
    switch (row.type) {
    case tarvo::PARAMETER_INT: {
        // The range may have changed since the row was made (a limit the camera set).
        tarvo::IntParameterInfo info;
        int value = 0;
        if (m_tool->getParamInfo(name, info) && m_tool->getParam(name, value)) {
            static_cast<SettingBaseWithLineEdit*>(row.widget)->setRange(info.min, info.max, info.step);
            emit signalSetValue(name, value);
        }
        break;
    }
    case tarvo::PARAMETER_FLOAT: {
        float value = 0;
        if (m_tool->getParam(name, value)) {
            emit signalSetValue(name, value);
        }
        break;
    }
    case tarvo::PARAMETER_BOOL: {
        bool value = false;
        if (m_tool->getParam(name, value)) {
            emit signalSetValue(name, value);
        }
        break;
    }
    default: {
        std::string value;
        if (m_tool->getParam(name, value)) {
            emit signalSetValue(name, value);
        }
        break;
    }
    }
}

void ToolSettingBox::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        setTitle(titleOf(m_info));
    }
    SettingItemBox::changeEvent(event);
}
