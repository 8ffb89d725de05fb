#pragma once

#include "TarvoHal/CameraToolRegisterWithCallback.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// Region of interest: with "enable", "mode" "ROI" keeps only the events inside the window
// ("x", "y", "x_width", "y_height" in pixels), "RONI" only those outside it. A window reaching
// past the sensor edge is cut at the edge.
class TARVOHAL_EXPORT Imx636ROI : public CameraToolRegisterWithCallback
{
public:
    explicit Imx636ROI(std::shared_ptr<RegisterController> controller);

    // Defined by the driver: what a tool says about itself is its data.
    ToolInfo getToolInfo() const override;

protected:
    bool applyParam(const std::string& name, const Value& value) override;
    bool writeWindow(const std::string& name, const Value& value);
};

} // namespace tarvo
