#pragma once

#include "TarvoHal/CameraToolRegister.h"
#include "TarvoHal/tarvohal_export.h"

#include <functional>
#include <mutex>
#include <string>

namespace tarvo {

// A register tool that reports every accepted change.
class TARVOHAL_EXPORT CameraToolRegisterWithCallback : public CameraToolRegister
{
public:
    // Called on the thread that called setParam, after the value reached the device, with the
    // parameter's name (valid during the call).
    using ParamChangedCallback = std::function<void(const std::string& name)>;
    void setParamChangedCallback(ParamChangedCallback callback);

protected:
    CameraToolRegisterWithCallback(std::shared_ptr<RegisterController> controller,
                                   const std::string& logSource);
    void paramChanged(const std::string& name) override;

private:
    std::mutex m_callbackMutex; // guards m_callback
    ParamChangedCallback m_callback;
};

} // namespace tarvo
