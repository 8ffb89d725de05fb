#pragma once

#include "TarvoHal/CameraToolRegisterWithCallback.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// Controls of the IMX415 frame sensor: automatic exposure, gain and white balance, black level,
// manual "exposure_time" (µs) and "gain".
class TARVOHAL_EXPORT Imx415ApsCtrl : public CameraToolRegisterWithCallback
{
public:
    explicit Imx415ApsCtrl(std::shared_ptr<RegisterController> controller);

    // Defined by the driver: what a tool says about itself is its data.
    ToolInfo getToolInfo() const override;

protected:
    bool applyParam(const std::string& name, const Value& value) override;
};

} // namespace tarvo
