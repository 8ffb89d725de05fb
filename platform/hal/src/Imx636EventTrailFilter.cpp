#include "TarvoHal/Imx636EventTrailFilter.h"

#include "ParamBuilders.h"

namespace tarvo {

Imx636EventTrailFilter::Imx636EventTrailFilter(std::shared_ptr<RegisterController> controller)
    : CameraToolRegisterWithCallback(std::move(controller), "hal/tools/Imx636EventTrailFilter")
{
    addParam(boolParam("enable", false, "Filter event trails"));
    addParam(intParam("threshold", 1000, 100000, 10000, "us", "Time window of the filter"));
    addParam(choiceParam("type", {"TRAIL", "STC_CUT_TRAIL", "STC_KEEP_TRAIL"}, "TRAIL", "Filter kind"));
}

bool Imx636EventTrailFilter::applyParam(const std::string& name, const Value& value)
{
    // The registers are always written as a whole from the three values.
    const bool enable = name == "enable" ? value.b : current("enable").b;
    const auto threshold = static_cast<uint32_t>(name == "threshold" ? value.i : current("threshold").i);
    const std::string type = name == "type" ? value.s : current("type").s;
    const bool stc = type != "TRAIL";
    const bool trail = type != "STC_KEEP_TRAIL";
    return writeField("stc/stc_param", "stc_threshold", threshold) &&
           writeField("stc/trail_param", "trail_threshold", threshold) &&
           writeField("stc/stc_param", "stc_enable", stc ? 1 : 0) &&
           writeField("stc/trail_param", "trail_enable", trail ? 1 : 0) &&
           writeField("stc/pipeline_control", "bypass", enable ? 0 : 1) &&
           writeField("stc/pipeline_control", "enable", enable ? 1 : 0);
}

} // namespace tarvo
