#pragma once

#include "TarvoHal/CameraToolRegisterWithCallback.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// Time-base synchronisation of several cameras: "mode" is "standalone", "master" (drives the
// sync pad) or "slave" (follows it).
class TARVOHAL_EXPORT Imx636Sync : public CameraToolRegisterWithCallback
{
public:
    explicit Imx636Sync(std::shared_ptr<RegisterController> controller);

    // Defined by the driver: what a tool says about itself is its data.
    ToolInfo getToolInfo() const override;

protected:
    bool applyParam(const std::string& name, const Value& value) override;
};

} // namespace tarvo
