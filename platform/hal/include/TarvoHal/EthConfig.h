#pragma once

#include "TarvoHal/CameraToolRegisterWithCallback.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// Network setting of an Ethernet camera: "ip_address", "subnet_mask", "gateway" as dotted IPv4
// text. A change must leave a usable setting (address inside the subnet, contiguous mask).
class TARVOHAL_EXPORT EthConfig : public CameraToolRegisterWithCallback
{
public:
    explicit EthConfig(std::shared_ptr<RegisterController> controller);

    ToolInfo getToolInfo() const override;
    bool getParam(const std::string& name, std::string& value) override;
    using CameraToolBasePrivate::getParam;

protected:
    bool applyParam(const std::string& name, const Value& value) override;
    bool checkParam(const std::string& name, const Value& value, std::string& why) const override;
};

} // namespace tarvo
