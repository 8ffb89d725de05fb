#pragma once

#include <QPointer>
#include <QWidget>

#include <string>

class QLabel;

// One row of a settings box, standing for one camera parameter by its name. Its label shows the
// parameter's display name in the user's language.
class SettingRowBase : public QWidget
{
    Q_OBJECT

public:
    const std::string& parameterName() const { return m_name; }
    // Whether the row stands for the parameter `name`; values sent to other names pass it by.
    bool matches(const std::string& name) const { return name == m_name; }
    QString labelText() const;

protected:
    SettingRowBase(std::string name, QWidget* parent);

    // The form's label that names the parameter; set once the form is built.
    void setNameLabel(QLabel* label);
    void changeEvent(QEvent* event) override;

private:
    std::string m_name;
    QPointer<QLabel> m_label;
};
