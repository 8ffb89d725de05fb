#pragma once

#include <QMetaType>

// Kind of a notice shown as a toast.
enum VxMessageType : int
{
    Success = 0,
    Warning = 1,
    Error = 2,
};

Q_DECLARE_METATYPE(VxMessageType)
