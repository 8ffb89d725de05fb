#include "VxRecordingFiles.h"

#include <QFile>
#include <QFileInfo>

namespace VxRecordingFiles {

QString companionVideoPath(const QString& rawPath)
{
    const QFileInfo file(rawPath);
    return QString("%1/%2.mp4").arg(file.absolutePath(), file.completeBaseName());
}

bool isFusionRecording(const QString& rawPath)
{
    if (!QFileInfo::exists(companionVideoPath(rawPath))) {
        return false;
    }
    QFile raw(rawPath);
    if (!raw.open(QIODevice::ReadOnly)) {
        return false;
    }
    // The first line is enough; a payload without line ends is not read further than this.
    const QByteArray firstLine = raw.readLine(256);
    return firstLine.startsWith("% aps_start_timestamp ");
}

} // namespace VxRecordingFiles
