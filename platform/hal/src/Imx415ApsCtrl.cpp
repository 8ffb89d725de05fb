#include "TarvoHal/Imx415ApsCtrl.h"

#include "ParamBuilders.h"

namespace tarvo {
namespace {

constexpr int kShutterStepUs = 10; // one step of aps_shutter_sweep_time

} // namespace

Imx415ApsCtrl::Imx415ApsCtrl(std::shared_ptr<RegisterController> controller)
    : CameraToolRegisterWithCallback(std::move(controller), "hal/tools/Imx415ApsCtrl")
{
    addParam(boolParam("auto_exposure", true, "Let the sensor choose the exposure time"));
    addParam(boolParam("auto_gain", true, "Let the sensor choose the gain"));
    addParam(boolParam("auto_white_balance", true, "Let the sensor balance the colours"));
    addParam(intParam("black_level", 0, 1023, 50, "LSB", "Offset added to every pixel"));
    addParam(
        intParam("exposure_time", 10, 33000, 1020, "us", "Exposure time when not automatic", kShutterStepUs));
    addParam(intParam("gain", 0, 240, 0, "0.3 dB", "Analogue gain when not automatic"));
}

bool Imx415ApsCtrl::applyParam(const std::string& name, const Value& value)
{
    if (name == "auto_exposure") {
        return writeField("aps_exposure", "aps_auto_exposure_en", value.b ? 1 : 0);
    }
    if (name == "auto_gain") {
        return writeField("aps_auto_gain", "aps_auto_gain_en", value.b ? 1 : 0);
    }
    if (name == "auto_white_balance") {
        return writeField("aps_white_balance", "aps_auto_white_balance_en", value.b ? 1 : 0);
    }
    if (name == "black_level") {
        return writeField("aps_blk_level", "aps_blk_level_offset", static_cast<uint32_t>(value.i));
    }
    if (name == "exposure_time") {
        return writeField("aps_shutter", "aps_shutter_sweep_time",
                          static_cast<uint32_t>(value.i / kShutterStepUs));
    }
    if (name == "gain") {
        return writeField("aps_gain_control", "aps_gain_pgc", static_cast<uint32_t>(value.i));
    }
    return false;
}

} // namespace tarvo
