#include "TarvoHal/Imx636Sync.h"

#include "ParamBuilders.h"

namespace tarvo {

Imx636Sync::Imx636Sync(std::shared_ptr<RegisterController> controller)
    : CameraToolRegisterWithCallback(std::move(controller), "hal/tools/Imx636Sync")
{
    addParam(
        choiceParam("mode", {"standalone", "master", "slave"}, "standalone",
                    "Time base: own clock, own clock driving the sync output, or the sync input's clock"));
}

bool Imx636Sync::applyParam(const std::string&, const Value& value)
{
    const bool external = value.s != "standalone";
    const bool master = value.s != "slave";
    bool ok = writeField("ro/time_base_ctrl", "time_base_mode", external ? 1 : 0) &&
              writeField("ro/time_base_ctrl", "external_mode", master ? 1 : 0) &&
              writeField("ro/time_base_ctrl", "external_mode_enable", external ? 1 : 0);
    if (ok && external) {
        ok = writeField("dig_pad2_ctrl", "pad_sync", master ? 0xC : 0xF);
    }
    return ok;
}

} // namespace tarvo
