#include "TarvoHal/Imx636Biases.h"

#include "ParamBuilders.h"
#include "TarvoBase/Logger.h"

namespace tarvo {
namespace {

struct Bias
{
    const char* name;
    int defaultCode;
    const char* description;
};

// Defaults are the codes the sensor powers up with.
constexpr Bias kBiases[] = {
    {"bias_fo", 92, "Photoreceptor follower current: low-pass cut-off of the pixel"},
    {"bias_hpf", 0, "High-pass filter current: suppresses slow brightness changes"},
    {"bias_diff_on", 115, "ON comparator threshold: closer to bias_diff gives more ON events"},
    {"bias_diff", 77, "Differencing amplifier reference"},
    {"bias_diff_off", 52, "OFF comparator threshold: closer to bias_diff gives more OFF events"},
    {"bias_refr", 68, "Refractory period current: higher gives a shorter dead time after an event"},
};

} // namespace

Imx636Biases::Imx636Biases(std::shared_ptr<RegisterController> controller)
    : CameraToolRegister(std::move(controller), "hal/tools/Imx636Biases")
{
    for (const Bias& bias : kBiases) {
        addParam(intParam(bias.name, 0, 255, bias.defaultCode, "DAC code", bias.description));
    }
}

bool Imx636Biases::getParam(const std::string& name, int& value)
{
    IntParameterInfo info;
    if (!getParamInfo(name, info)) {
        return false;
    }
    uint32_t code = 0;
    if (!readField("bias/" + name, "idac_ctl", code)) {
        return false;
    }
    value = static_cast<int>(code);
    return true;
}

bool Imx636Biases::setParam(const std::string& name, const int& value)
{
    return CameraToolBasePrivate::setParam(name, value);
}

bool Imx636Biases::applyParam(const std::string& name, const Value& value)
{
    return writeField("bias/" + name, "idac_ctl", static_cast<uint32_t>(value.i));
}

} // namespace tarvo
