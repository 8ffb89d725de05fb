#pragma once

#include "TarvoHal/CameraToolRegisterWithCallback.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// The event-trail filter: "type" "TRAIL" keeps the first event of a burst per pixel,
// "STC_CUT_TRAIL" and "STC_KEEP_TRAIL" keep events confirmed within "threshold" µs, without or
// with their trail.
class TARVOHAL_EXPORT Imx636EventTrailFilter : public CameraToolRegisterWithCallback
{
public:
    explicit Imx636EventTrailFilter(std::shared_ptr<RegisterController> controller);

    // Defined by the driver: what a tool says about itself is its data.
    ToolInfo getToolInfo() const override;

protected:
    bool applyParam(const std::string& name, const Value& value) override;
};

} // namespace tarvo
