#include "TarvoHal/EthConfig.h"

#include "ParamBuilders.h"
#include "TarvoBase/Converters.h"
#include "TarvoHal/EthInterface.h"

namespace tarvo {
namespace {

std::string dotted(uint32_t ip)
{
    return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 0xFF) + "." +
           std::to_string((ip >> 8) & 0xFF) + "." + std::to_string(ip & 0xFF);
}

// The camera's transport, when it is an Ethernet one.
EthInterface* ethernet(const std::shared_ptr<RegisterController>& controller)
{
    return controller ? dynamic_cast<EthInterface*>(controller->getInterface().get()) : nullptr;
}

} // namespace

EthConfig::EthConfig(std::shared_ptr<RegisterController> controller)
    : CameraToolRegisterWithCallback(std::move(controller), "hal/tools/EthConfig")
{
    uint32_t ip = 0, mask = 0, gateway = 0;
    if (EthInterface* eth = ethernet(m_controller)) {
        eth->getNetworkConfig(ip, mask, gateway);
    }
    addParam(textParam("ip_address", dotted(ip), 15, "IPv4 address of the camera"));
    addParam(textParam("subnet_mask", dotted(mask), 15, "Subnet mask"));
    addParam(textParam("gateway", dotted(gateway), 15, "Default gateway (0.0.0.0 for none)"));
}

ToolInfo EthConfig::getToolInfo() const
{
    return {TOOL_ETH_CONFIG,
            "EthConfig",
            {"ip_address", "subnet_mask", "gateway"},
            "Network settings of Ethernet DVS cameras"};
}

bool EthConfig::getParam(const std::string& name, std::string& value)
{
    // The camera's own setting wins: it may have been changed by another program.
    uint32_t ip = 0, mask = 0, gateway = 0;
    EthInterface* eth = ethernet(m_controller);
    if (eth != nullptr && eth->getNetworkConfig(ip, mask, gateway)) {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        Value v;
        v.s = dotted(ip);
        storeCurrent("ip_address", v);
        v.s = dotted(mask);
        storeCurrent("subnet_mask", v);
        v.s = dotted(gateway);
        storeCurrent("gateway", v);
    }
    return CameraToolBasePrivate::getParam(name, value);
}

bool EthConfig::checkParam(const std::string& name, const Value& value, std::string& why) const
{
    const uint32_t parsed = stringToIP(value.s);
    if (parsed == 0 && value.s != "0.0.0.0") {
        why = "\"" + value.s + "\" is not a dotted IPv4 address";
        return false;
    }
    const uint32_t ip = name == "ip_address" ? parsed : stringToIP(current("ip_address").s);
    const uint32_t mask = name == "subnet_mask" ? parsed : stringToIP(current("subnet_mask").s);
    const uint32_t gateway = name == "gateway" ? parsed : stringToIP(current("gateway").s);
    if (!EthInterface::isValidSetting(ip, mask, gateway)) {
        why = "the address, mask and gateway would not form a usable setting";
        return false;
    }
    return true;
}

bool EthConfig::applyParam(const std::string& name, const Value& value)
{
    EthInterface* eth = ethernet(m_controller);
    if (eth == nullptr) {
        return false;
    }
    const uint32_t parsed = stringToIP(value.s);
    const uint32_t ip = name == "ip_address" ? parsed : stringToIP(current("ip_address").s);
    const uint32_t mask = name == "subnet_mask" ? parsed : stringToIP(current("subnet_mask").s);
    const uint32_t gateway = name == "gateway" ? parsed : stringToIP(current("gateway").s);
    return eth->setNetworkConfig(ip, mask, gateway);
}

} // namespace tarvo
