#include "TarvoDriver/DvsCameraManager.h"

#include "DriverLog.h"
#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoHal/EthInterface.h"
#include "TarvoHal/UsbInterface.h"
#include "camera/DuetCamera.h"
#include "camera/PropheseeEVK4.h"
#include "camera/PropheseeEVK5.h"
#include "camera/TarvoKestrel.h"

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/camera/DvsCameraManager";

using CameraMaker = std::shared_ptr<DvsCamera> (*)(const CameraDescription&);

struct UsbEventProduct
{
    uint16_t vendorId;
    uint16_t productId;
    CameraMaker make;
};

template <class Product> UsbEventProduct usbEventProduct()
{
    return {Product::vendorId, Product::productId,
            [](const CameraDescription& description) -> std::shared_ptr<DvsCamera> {
                return std::make_shared<Product>(description);
            }};
}

} // namespace

DvsCameraManager::DvsCameraManager() = default;
DvsCameraManager::DvsCameraManager(const DvsCameraManager&) = default;
DvsCameraManager::DvsCameraManager(DvsCameraManager&&) noexcept = default;
DvsCameraManager& DvsCameraManager::operator=(const DvsCameraManager&) = default;
DvsCameraManager& DvsCameraManager::operator=(DvsCameraManager&&) noexcept = default;
DvsCameraManager::~DvsCameraManager() = default;

int DvsCameraManager::updateCameras()
{
    removeUnpluggedCameras();
    return static_cast<int>(findCameras());
}

std::vector<CameraDescription> DvsCameraManager::getCameraDescs()
{
    removeUnpluggedCameras();
    findCameras();
    std::vector<CameraDescription> descriptions;
    for (const auto& [serial, camera] : m_cameras) {
        descriptions.push_back(camera->getDescription());
    }
    for (const auto& [serial, camera] : m_fusionCameras) {
        descriptions.push_back(camera->getDescription());
    }
    return descriptions;
}

std::shared_ptr<DvsCamera> DvsCameraManager::openCamera(std::string serial)
{
    TARVO_LOG(log::kDetail, "Camera serial: %s", serial.c_str());
    const auto found = m_cameras.find(serial);
    if (found == m_cameras.end()) {
        return nullptr;
    }
    if (found->second->init() != 0) {
        return nullptr;
    }
    return found->second;
}

std::shared_ptr<FusionCamera> DvsCameraManager::openFusionCamera(std::string serial)
{
    TARVO_LOG(log::kDetail, "Fusion Camera serial: %s", serial.c_str());
    const auto found = m_fusionCameras.find(serial);
    if (found == m_fusionCameras.end()) {
        return nullptr;
    }
    found->second->init();
    return found->second;
}

bool DvsCameraManager::ethCameraForceIP(CameraDescription description, unsigned ip, unsigned mask,
                                        unsigned gateway)
{
    return EthInterface::ethCameraForceIP(description, ip, mask, gateway);
}

uint64_t DvsCameraManager::findCameras()
{
    return findCameras(PROPHESEE_EVK4) + findCameras(PROPHESEE_EVK5) + findCameras(TARVO_KESTREL) +
           findCameras(TARVO_DUET) + findEthCameras();
}

uint64_t DvsCameraManager::findCameras(CAMERA_TYPE type)
{
    if (type == TARVO_DUET) {
        const auto found = UsbInterface::findUsbFusionCamera(DuetCamera::vendorId, DuetCamera::productId);
        for (const CameraDescription& description : found) {
            if (m_fusionCameras.count(description.serial) == 0) {
                m_fusionCameras.emplace(description.serial, std::make_shared<DuetCamera>(description));
            }
        }
        return found.size();
    }
    UsbEventProduct product;
    switch (type) {
    case PROPHESEE_EVK4:
        product = usbEventProduct<PropheseeEVK4>();
        break;
    case PROPHESEE_EVK5:
        product = usbEventProduct<PropheseeEVK5>();
        break;
    case TARVO_KESTREL:
        product = usbEventProduct<TarvoKestrel>();
        break;
    default:
        return 0;
    }
    auto found = UsbInterface::findUsbDvsCamera(product.vendorId, product.productId);
    if (found.empty()) {
        // A camera just plugged in may not answer the first enumeration; ask once more.
        found = UsbInterface::findUsbDvsCamera(product.vendorId, product.productId);
    }
    for (const CameraDescription& description : found) {
        if (m_cameras.count(description.serial) == 0) {
            m_cameras.emplace(description.serial, product.make(description));
        }
    }
    return found.size();
}

uint64_t DvsCameraManager::findEthCameras()
{
    const auto found = EthInterface::findEthDvsCamera();
    for (const CameraDescription& description : found) {
        if (m_cameras.count(description.serial) == 0) {
            m_cameras.emplace(description.serial, std::make_shared<TarvoKestrel>(description));
        }
    }
    return found.size();
}

void DvsCameraManager::removeUnpluggedCameras()
{
    for (auto it = m_cameras.begin(); it != m_cameras.end();) {
        if (it->second->isConnected()) {
            ++it;
            continue;
        }
        TARVO_LOG(log::kDetail, "Camera %s disconnected", it->second->getDescription().serial.c_str());
        it = m_cameras.erase(it);
    }
    for (auto it = m_fusionCameras.begin(); it != m_fusionCameras.end();) {
        it = it->second->isConnected() ? std::next(it) : m_fusionCameras.erase(it);
    }
}

} // namespace tarvo
