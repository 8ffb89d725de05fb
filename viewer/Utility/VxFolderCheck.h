#pragma once

#include <QCoreApplication>
#include <QString>

// Whether a folder can take the files a dialog is about to write there.
class VxFolderCheck
{
    Q_DECLARE_TR_FUNCTIONS(VxFolderCheck)

public:
    // Why files cannot be saved in `folder` (none given, missing, read-only), or empty when they
    // can.
    static QString problem(const QString& folder);
};
