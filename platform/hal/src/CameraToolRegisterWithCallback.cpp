#include "TarvoHal/CameraToolRegisterWithCallback.h"

namespace tarvo {

CameraToolRegisterWithCallback::CameraToolRegisterWithCallback(std::shared_ptr<RegisterController> controller,
                                                               const std::string& logSource)
    : CameraToolRegister(std::move(controller), logSource)
{
}

void CameraToolRegisterWithCallback::setParamChangedCallback(ParamChangedCallback callback)
{
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    m_callback = std::move(callback);
}

void CameraToolRegisterWithCallback::paramChanged(const std::string& name)
{
    ParamChangedCallback callback;
    {
        std::lock_guard<std::mutex> lock(m_callbackMutex);
        callback = m_callback;
    }
    if (callback) {
        callback(name);
    }
}

} // namespace tarvo
