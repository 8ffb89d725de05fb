#include "TarvoHal/Imx636TriggerIn.h"

#include "ParamBuilders.h"

namespace tarvo {

Imx636TriggerIn::Imx636TriggerIn(std::shared_ptr<RegisterController> controller)
    : CameraToolRegisterWithCallback(std::move(controller), "hal/tools/Imx636TriggerIn")
{
    addParam(boolParam("enable", false, "Report edges on trigger input 0 in the event stream"));
}

bool Imx636TriggerIn::applyParam(const std::string&, const Value& value)
{
    return writeField("edf/trigger_in", "enable_channel_0", value.b ? 1 : 0);
}

} // namespace tarvo
