#include "VxFolderCheck.h"

#include <QFileDialog>
#include <QFileInfo>

QString VxFolderCheck::problem(const QString& folder)
{
    const QString trimmed = folder.trimmed();
    if (trimmed.isEmpty()) {
        return tr("Choose the folder to save in.");
    }
    const QFileInfo info(trimmed);
    if (!info.isDir()) {
        return tr("The folder %1 does not exist.").arg(trimmed);
    }
    if (!info.isWritable()) {
        return tr("The folder %1 is read-only.").arg(trimmed);
    }
    return QString();
}

QString VxFolderCheck::choose(QWidget* parent, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, tr("Select Directory"), start,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}
