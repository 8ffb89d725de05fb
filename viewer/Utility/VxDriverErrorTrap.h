#pragma once

#include <QString>

#include <string>

// Keeps the last error the driver logs on the constructing thread while the trap lives, so that
// a background job whose driver call failed can tell the user why. Traps nest; the innermost
// one of a thread catches. Other threads' messages and earlier log sinks are left alone.
class VxDriverErrorTrap
{
public:
    VxDriverErrorTrap();
    ~VxDriverErrorTrap();
    VxDriverErrorTrap(const VxDriverErrorTrap&) = delete;
    VxDriverErrorTrap& operator=(const VxDriverErrorTrap&) = delete;

    // The last error message logged on this thread since the trap was set, or empty.
    QString lastError() const { return QString::fromStdString(m_lastError); }

private:
    static void installSink();
    static void take(int level, const std::string& message);

    VxDriverErrorTrap* m_outer;
    std::string m_lastError;
};
