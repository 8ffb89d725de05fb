#pragma once

#include "TarvoHal/CameraToolRegisterWithCallback.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// The anti-flicker filter: drops (band stop) or keeps only (band pass) events flickering between
// "low_frequency" and "high_frequency" Hz.
class TARVOHAL_EXPORT Imx636AntiFlicker : public CameraToolRegisterWithCallback
{
public:
    explicit Imx636AntiFlicker(std::shared_ptr<RegisterController> controller);

    // Defined by the driver: what a tool says about itself is its data.
    ToolInfo getToolInfo() const override;

protected:
    bool applyParam(const std::string& name, const Value& value) override;
    bool checkParam(const std::string& name, const Value& value, std::string& why) const override;
};

} // namespace tarvo
