#pragma once

#include "TarvoHal/CameraToolRegisterWithCallback.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// Trigger input 0: "enable" lets edges on the input into the event stream.
class TARVOHAL_EXPORT Imx636TriggerIn : public CameraToolRegisterWithCallback
{
public:
    explicit Imx636TriggerIn(std::shared_ptr<RegisterController> controller);

    // Defined by the driver: what a tool says about itself is its data.
    ToolInfo getToolInfo() const override;

protected:
    bool applyParam(const std::string& name, const Value& value) override;
};

} // namespace tarvo
