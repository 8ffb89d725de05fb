#pragma once

#include "TarvoHal/CameraToolBasePrivate.h"
#include "TarvoHal/RegisterController.h"
#include "TarvoHal/tarvohal_export.h"

#include <memory>
#include <string>

namespace tarvo {

// A tool whose parameters live in device registers reached through a RegisterController.
class TARVOHAL_EXPORT CameraToolRegister : public CameraToolBasePrivate
{
protected:
    CameraToolRegister(std::shared_ptr<RegisterController> controller, const std::string& logSource);

    // Field and register accesses that report a missing name or a failed access as false
    // (logged) instead of throwing.
    bool writeField(const std::string& reg, const std::string& field, uint32_t value);
    bool readField(const std::string& reg, const std::string& field, uint32_t& value);
    bool writeWord(const std::string& reg, uint32_t value);

    std::shared_ptr<RegisterController> m_controller;
};

} // namespace tarvo
