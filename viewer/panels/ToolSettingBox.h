#pragma once

#include "SettingItemBox.h"
#include "VxMessageType.h"

#include "TarvoHal/CameraTool.h"
#include "TarvoHal/ToolInfo.h"

#include <map>
#include <memory>
#include <string>

class SettingRowBase;

// The box of one camera tool: a row for every parameter the tool describes, of the kind its
// descriptor gives (a number field for integers and floats, a switch, a list of options, a text
// field), with the tool's range and unit. A value changed in a row goes to the tool at once;
// when the tool takes it, it is also written into the tool's member of the current configuration
// file, and when it refuses, the row shows the tool's value again and a notice says why.
class ToolSettingBox : public SettingItemBox
{
    Q_OBJECT

public:
    // `configPath` is the configuration file that keeps what the user sets.
    ToolSettingBox(const tarvo::ToolInfo& info, std::shared_ptr<tarvo::CameraTool> tool,
                   const QString& configPath, QWidget* parent = nullptr);

    // The box's title for a tool, in the user's language.
    static QString titleOf(const tarvo::ToolInfo& info);

    tarvo::ToolType toolType() const { return m_info.type; }
    const std::string& toolName() const { return m_info.name; }
    int rowCount() const { return int(m_rows.size()); }
    // The row of the parameter `name`, or null.
    SettingRowBase* row(const std::string& name) const;

    // Every row shows the tool's current value (and range).
    void refresh();

Q_SIGNALS:
    // Shows a value in the row of that parameter.
    void signalSetValue(std::string name, int value);
    void signalSetValue(std::string name, bool value);
    void signalSetValue(std::string name, float value);
    void signalSetValue(std::string name, std::string value);
    void signalShowLeftBottomTips(QString text, VxMessageType type, QString file_path);

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Row
    {
        int type;
        SettingRowBase* widget;
    };

    void addParameterRow(const std::string& name, const tarvo::BasicParameterInfo& basic);
    SettingRowBase* makeIntRow(const std::string& name, QString& range);
    SettingRowBase* makeFloatRow(const std::string& name, QString& range);
    SettingRowBase* makeBoolRow(const std::string& name);
    SettingRowBase* makeEnumRow(const std::string& name);
    SettingRowBase* makeTextRow(const std::string& name);
    void showCurrent(const std::string& name, const Row& row);
    // Sends the row's changes of a value of type T to the tool, and the box's values of that
    // type to the row.
    template <typename T, typename RowWidget> void connectRow(RowWidget* row);
    template <typename T> void deliver(const std::string& name, const T& value);

    tarvo::ToolInfo m_info;
    std::shared_ptr<tarvo::CameraTool> m_tool;
    QString m_configPath;
    std::map<std::string, Row> m_rows;
};
