#pragma once

#include "TarvoHal/CameraToolRegister.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// The six current biases of the IMX636 pixel as DAC codes 0–255 ("bias_fo", "bias_hpf",
// "bias_diff_on", "bias_diff", "bias_diff_off", "bias_refr"). Values are read from and written
// to the bias registers directly. A smaller gap between "bias_diff_on" (or "bias_diff_off") and
// "bias_diff" makes the sensor more sensitive to brightness rises (falls).
class TARVOHAL_EXPORT Imx636Biases : public CameraToolRegister
{
public:
    explicit Imx636Biases(std::shared_ptr<RegisterController> controller);

    // Defined by the driver: what a tool says about itself is its data.
    ToolInfo getToolInfo() const override;
    using CameraToolBasePrivate::getParam;
    using CameraToolBasePrivate::setParam;
    bool getParam(const std::string& name, int& value) override;
    bool setParam(const std::string& name, const int& value) override;

protected:
    bool applyParam(const std::string& name, const Value& value) override;
};

} // namespace tarvo
