#include "TarvoHalBackend/DeviceBackendRegistry.h"

#include <algorithm>

namespace tarvo {

DeviceBackendRegistry& DeviceBackendRegistry::instance()
{
    static DeviceBackendRegistry registry;
    return registry;
}

void DeviceBackendRegistry::add(std::shared_ptr<DeviceBackend> backend)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (backend && std::find(m_backends.begin(), m_backends.end(), backend) == m_backends.end()) {
        m_backends.push_back(std::move(backend));
    }
}

bool DeviceBackendRegistry::remove(const std::shared_ptr<DeviceBackend>& backend)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = std::find(m_backends.begin(), m_backends.end(), backend);
    if (found == m_backends.end()) {
        return false;
    }
    m_backends.erase(found);
    return true;
}

std::vector<std::shared_ptr<DeviceBackend>> DeviceBackendRegistry::backends() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_backends;
}

std::vector<CameraDescription> DeviceBackendRegistry::enumerate(DeviceFamily family) const
{
    std::vector<CameraDescription> found;
    for (const auto& backend : backends()) {
        auto devices = backend->enumerate(family);
        found.insert(found.end(), devices.begin(), devices.end());
    }
    return found;
}

std::shared_ptr<DeviceLink> DeviceBackendRegistry::open(DeviceFamily family,
                                                        const CameraDescription& description) const
{
    for (const auto& backend : backends()) {
        if (auto link = backend->open(family, description)) {
            return link;
        }
    }
    return nullptr;
}

bool DeviceBackendRegistry::forceNetworkConfig(const CameraDescription& description, uint32_t ip,
                                               uint32_t mask, uint32_t gateway) const
{
    const auto all = backends();
    return std::any_of(all.begin(), all.end(), [&](const std::shared_ptr<DeviceBackend>& backend) {
        return backend->forceNetworkConfig(description, ip, mask, gateway);
    });
}

} // namespace tarvo
