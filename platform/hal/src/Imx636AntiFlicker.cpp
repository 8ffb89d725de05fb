#include "TarvoHal/Imx636AntiFlicker.h"

#include "ParamBuilders.h"

#include <cmath>

namespace tarvo {
namespace {

// The filter measures flicker periods in steps of 128 µs.
uint32_t periodSteps(int hertz)
{
    return static_cast<uint32_t>(std::lround(1e6 / hertz / 128.0));
}

} // namespace

Imx636AntiFlicker::Imx636AntiFlicker(std::shared_ptr<RegisterController> controller)
    : CameraToolRegisterWithCallback(std::move(controller), "hal/tools/Imx636AntiFlicker")
{
    addParam(floatParam("duty_cycle", 0.0f, 100.0f, 50.0f, "%", "Share of a flicker period the light is on"));
    addParam(boolParam("enable", false, "Filter flickering light"));
    addParam(choiceParam("filter_mode", {"BAND_STOP", "BAND_PASS"}, "BAND_STOP",
                         "Drop the flickering events, or keep only them"));
    addParam(intParam("high_frequency", 50, 520, 130, "Hz", "Highest flicker frequency filtered"));
    addParam(intParam("low_frequency", 50, 520, 50, "Hz", "Lowest flicker frequency filtered"));
    addParam(
        intParam("start_threshold", 0, 7, 6, "periods", "Periods seen before a pixel counts as flickering"));
    addParam(
        intParam("stop_threshold", 0, 7, 4, "periods", "Periods missed before a pixel stops flickering"));
}

bool Imx636AntiFlicker::checkParam(const std::string& name, const Value& value, std::string& why) const
{
    if (name == "low_frequency" && value.i >= current("high_frequency").i) {
        why = "it must stay below high_frequency (" + std::to_string(current("high_frequency").i) + " Hz)";
    } else if (name == "high_frequency" && value.i <= current("low_frequency").i) {
        why = "it must stay above low_frequency (" + std::to_string(current("low_frequency").i) + " Hz)";
    } else if (name == "stop_threshold" && value.i > current("start_threshold").i) {
        why = "it must not exceed start_threshold";
    } else if (name == "start_threshold" && value.i < current("stop_threshold").i) {
        why = "it must not be below stop_threshold";
    }
    return why.empty();
}

bool Imx636AntiFlicker::applyParam(const std::string& name, const Value& value)
{
    if (name == "enable") {
        return writeField("afk/pipeline_control", "bypass", value.b ? 0 : 1) &&
               writeField("afk/pipeline_control", "enable", value.b ? 1 : 0);
    }
    if (name == "filter_mode") {
        return writeField("afk/param", "invert", value.s == "BAND_PASS" ? 1 : 0);
    }
    if (name == "high_frequency") {
        return writeField("afk/filter_period", "min_cutoff_period", periodSteps(value.i));
    }
    if (name == "low_frequency") {
        return writeField("afk/filter_period", "max_cutoff_period", periodSteps(value.i));
    }
    if (name == "duty_cycle") {
        const auto inverted = static_cast<uint32_t>(std::lround((100.0 - value.f) * 15.0 / 100.0));
        return writeField("afk/filter_period", "inverted_duty_cycle", inverted);
    }
    if (name == "start_threshold") {
        return writeField("afk/param", "counter_high", static_cast<uint32_t>(value.i));
    }
    if (name == "stop_threshold") {
        return writeField("afk/param", "counter_low", static_cast<uint32_t>(value.i));
    }
    return false;
}

} // namespace tarvo
