#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

// Whether a folder can take the files a dialog is about to write there, and the folder chooser
// of those dialogs.
class VxFolderCheck
{
    Q_DECLARE_TR_FUNCTIONS(VxFolderCheck)

public:
    // Why files cannot be saved in `folder` (none given, missing, read-only), or empty when they
    // can.
    static QString problem(const QString& folder);
    // Asks for a folder, starting at `start`; empty when the user cancels.
    static QString choose(QWidget* parent, const QString& start);
};
