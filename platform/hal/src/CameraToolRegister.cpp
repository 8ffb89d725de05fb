#include "TarvoHal/CameraToolRegister.h"

#include "TarvoBase/Logger.h"

#include <stdexcept>

namespace tarvo {

CameraToolRegister::CameraToolRegister(std::shared_ptr<RegisterController> controller,
                                       const std::string& logSource)
    : CameraToolBasePrivate(logSource), m_controller(std::move(controller))
{
}

bool CameraToolRegister::writeField(const std::string& reg, const std::string& field, uint32_t value)
{
    try {
        return m_controller && m_controller->writeRegisterField(reg, field, value);
    } catch (const std::runtime_error& error) {
        Logger::Instance().log_(4, m_logSource.c_str(), __LINE__, "%s.%s: %s", reg.c_str(), field.c_str(),
                                error.what());
        return false;
    }
}

bool CameraToolRegister::readField(const std::string& reg, const std::string& field, uint32_t& value)
{
    try {
        return m_controller && m_controller->readRegisterField(reg, field, value);
    } catch (const std::runtime_error& error) {
        Logger::Instance().log_(4, m_logSource.c_str(), __LINE__, "%s.%s: %s", reg.c_str(), field.c_str(),
                                error.what());
        return false;
    }
}

bool CameraToolRegister::writeWord(const std::string& reg, uint32_t value)
{
    try {
        return m_controller && m_controller->writeRegister(reg, value);
    } catch (const std::runtime_error& error) {
        Logger::Instance().log_(4, m_logSource.c_str(), __LINE__, "%s: %s", reg.c_str(), error.what());
        return false;
    }
}

} // namespace tarvo
