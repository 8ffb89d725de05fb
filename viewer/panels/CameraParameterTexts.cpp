#include "CameraParameterTexts.h"

#include <QCoreApplication>

namespace {

const char* const kContext = "CameraParameterTexts";

// What the tools of the event and frame sensors and of Ethernet cameras report, listed for the
// translation sources; the texts are looked up as the camera reports them.
[[maybe_unused]] const char* const kKnownTexts[] = {
    // Labels (display names of the parameters).
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Bias Fo"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Bias Hpf"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Bias Diff On"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Bias Diff"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Bias Diff Off"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Bias Refr"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Enable"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Mode"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Duty Cycle"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Filter Mode"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "High Frequency"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Low Frequency"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Start Threshold"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Stop Threshold"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Threshold"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Type"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Max Event Rate"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "X"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Y"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "X Width"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Y Height"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Auto Exposure"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Auto Gain"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Auto White Balance"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Black Level"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Exposure Time"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Gain"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Ip Address"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Subnet Mask"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Gateway"),
    // The frame sensor panel's own rows: the manual calibration shift.
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Offset X"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Offset Y"),
    // Units in words; symbols (Hz, %, Mev/s, LSB, dB) read the same in every language.
    QT_TRANSLATE_NOOP("CameraParameterTexts", "DAC code"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "periods"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "px"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "us"),
    // Descriptions.
    QT_TRANSLATE_NOOP("CameraParameterTexts",
                      "Photoreceptor follower current: low-pass cut-off of the pixel"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "High-pass filter current: suppresses slow brightness changes"),
    QT_TRANSLATE_NOOP("CameraParameterTexts",
                      "ON comparator threshold: closer to bias_diff gives more ON events"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Differencing amplifier reference"),
    QT_TRANSLATE_NOOP("CameraParameterTexts",
                      "OFF comparator threshold: closer to bias_diff gives more OFF events"),
    QT_TRANSLATE_NOOP("CameraParameterTexts",
                      "Refractory period current: higher gives a shorter dead time after an event"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Report edges on trigger input 0 in the event stream"),
    QT_TRANSLATE_NOOP("CameraParameterTexts",
                      "Time base: own clock, own clock driving the sync output, or the sync input's clock"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Share of a flicker period the light is on"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Filter flickering light"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Drop the flickering events, or keep only them"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Highest flicker frequency filtered"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Lowest flicker frequency filtered"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Periods seen before a pixel counts as flickering"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Periods missed before a pixel stops flickering"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Filter event trails"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Time window of the filter"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Filter kind"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Limit the event rate"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Most events per second let through"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Filter events by a window"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Keep the events inside the window, or outside it"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Left column of the window"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Top row of the window"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Width of the window"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Height of the window"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Let the sensor choose the exposure time"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Let the sensor choose the gain"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Let the sensor balance the colours"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Offset added to every pixel"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Exposure time when not automatic"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Analogue gain when not automatic"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "IPv4 address of the camera"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Subnet mask"),
    QT_TRANSLATE_NOOP("CameraParameterTexts", "Default gateway (0.0.0.0 for none)"),
};

QString translated(const QString& text)
{
    return QCoreApplication::translate(kContext, text.toUtf8().constData());
}

} // namespace

QString CameraParameterTexts::displayName(const std::string& name)
{
    QString shown = QString::fromStdString(name).replace('_', ' ');
    for (int i = 0; i < shown.size(); ++i) {
        if (i == 0 || shown.at(i - 1) == ' ') {
            shown[i] = shown.at(i).toUpper();
        }
    }
    return shown;
}

QString CameraParameterTexts::label(const std::string& name)
{
    return translated(displayName(name));
}

QString CameraParameterTexts::unit(const std::string& unit)
{
    return translated(QString::fromStdString(unit));
}

QString CameraParameterTexts::description(const std::string& description)
{
    return translated(QString::fromStdString(description));
}
