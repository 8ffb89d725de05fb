#pragma once

#include "TarvoSim/DeviceConfig.h"
#include "TarvoSim/tarvosim_export.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::sim {

class SimDevice;

// The process-wide bus the simulated cameras are attached to. On first use it holds the
// devices of the user's device list ("tarvo/hal-devices.json" in the XDG configuration
// directory) or, without a usable list, one USB event camera, one Ethernet event camera and one
// fusion camera. Tests attach, unplug and replace devices through it. Its first use installs
// the simulator behind the hardware layer's finders (see install()).
class TARVOSIM_EXPORT SimBus
{
public:
    static SimBus& instance();

    // Attaches a new device and returns it; devices with the same serial may coexist on
    // different transports.
    std::shared_ptr<SimDevice> attach(const DeviceConfig& config);
    // Unplugs and removes every device with this serial; false when there was none.
    bool detach(const std::string& serial);
    // Unplugs every device and attaches the given ones.
    void replace(const std::vector<DeviceConfig>& configs);
    std::vector<std::shared_ptr<SimDevice>> list() const;
    std::shared_ptr<SimDevice> find(const std::string& serial, DeviceKind kind) const;

    // Kind-4 register waits last count × scale microseconds (tests set it small).
    void setWaitScale(double scale);
    double waitScale() const;

    static std::vector<DeviceConfig> defaultDevices();
    // "$XDG_CONFIG_HOME/tarvo/hal-devices.json", or "$HOME/.config/tarvo/hal-devices.json".
    static std::string deviceListPath();
    // The devices of a device list file; nothing when the file is absent, or when it is
    // malformed (which is logged).
    static std::optional<std::vector<DeviceConfig>> loadDeviceList(const std::string& path);

private:
    SimBus();

    mutable std::mutex m_mutex; // guards m_devices and m_waitScale
    std::vector<std::shared_ptr<SimDevice>> m_devices;
    double m_waitScale = 1.0;
};

} // namespace tarvo::sim
