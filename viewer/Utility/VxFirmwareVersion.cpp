#include "VxFirmwareVersion.h"

#include <QDebug>
#include <QRegularExpression>
#include <QVector>

namespace VxFirmwareVersion {
namespace {

// The numbers after the "V"; empty when the text has none.
QVector<int> numbersOf(const QString& text)
{
    static const QRegularExpression pattern("V(\\d+(\\.\\d+){0,2})");
    const QRegularExpressionMatch match = pattern.match(text);
    QVector<int> numbers;
    if (!match.hasMatch()) {
        return numbers;
    }
    for (const QString& part : match.captured(1).split('.')) {
        numbers.append(part.toInt());
    }
    numbers.resize(3);
    return numbers;
}

} // namespace

int compare(const QString& version, const QString& reference, bool* parsed)
{
    const QVector<int> left = numbersOf(version);
    const QVector<int> right = numbersOf(reference);
    if (parsed) {
        *parsed = !left.isEmpty() && !right.isEmpty();
    }
    if (left.isEmpty() || right.isEmpty()) {
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        if (left[i] != right[i]) {
            return left[i] < right[i] ? -1 : 1;
        }
    }
    return 0;
}

bool isUpToDate(const QString& version)
{
    bool parsed = false;
    const int order = compare(version, QString::fromLatin1(kRequiredDuet), &parsed);
    if (!parsed) {
        qWarning() << "Cannot parse version from:" << version;
        return false;
    }
    return order >= 0;
}

} // namespace VxFirmwareVersion
