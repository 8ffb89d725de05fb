#pragma once

#include <QObject>

namespace QWK {

// What the window agents have in common: the kinds of system button a title bar can carry.
class WindowAgentBase : public QObject
{
    Q_OBJECT

public:
    enum SystemButton
    {
        Unknown,
        WindowIcon,
        Help,
        Minimize,
        Maximize,
        Close,
    };
    Q_ENUM(SystemButton)

    using QObject::QObject;
};

} // namespace QWK
