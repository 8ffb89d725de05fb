#pragma once

#include "TarvoHal/CameraToolRegisterWithCallback.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// Event-rate control: with "enable", the sensor drops events evenly so that no more than
// "max_event_rate" million events a second leave it.
class TARVOHAL_EXPORT Imx636EventRateControl : public CameraToolRegisterWithCallback
{
public:
    explicit Imx636EventRateControl(std::shared_ptr<RegisterController> controller);

    // Defined by the driver: what a tool says about itself is its data.
    ToolInfo getToolInfo() const override;
    // The highest "max_event_rate" accepted from now on (Mev/s, at most 200; 0 is ignored); a
    // current value above it is lowered to it.
    void setMaxLimitEventRate(unsigned limit);
    unsigned getMaxLimitEventRate() const;

protected:
    bool applyParam(const std::string& name, const Value& value) override;

private:
    unsigned m_limit; // guarded by m_mutex
};

} // namespace tarvo
