#include "TarvoHal/Interface.h"

#include "TarvoBase/Logger.h"
#include "TarvoHalBackend/DeviceLink.h"

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

namespace tarvo {

static constexpr const char* kSource = "hal/Interface";

Interface::Interface(std::shared_ptr<DeviceLink> link, const CameraDescription& description)
    : m_link(std::move(link)), m_description(description)
{
}

Interface::~Interface() = default;

bool Interface::isConnected() const
{
    return m_link && m_link->connected();
}

bool Interface::setup(uint64_t* field)
{
    if (field == nullptr || !isConnected()) {
        return false;
    }
    *field = m_link->sessionId();
    return true;
}

bool Interface::readCalibration(std::vector<uint8_t>& out)
{
    return isConnected() && m_link->readCalibration(out);
}

bool Interface::writeCalibration(const std::string& path)
{
    if (!isConnected()) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Logger::Instance().log_(4, kSource, __LINE__, "Cannot open calibration file %s", path.c_str());
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The camera keeps what it is given; refuse what it could not hand back as a record.
    if (!nlohmann::json::accept(bytes.begin(), bytes.end())) {
        Logger::Instance().log_(4, kSource, __LINE__, "Calibration file %s is not JSON", path.c_str());
        return false;
    }
    return m_link->writeCalibration(bytes);
}

bool Interface::readRegister(uint32_t address, uint32_t& value)
{
    return m_link && m_link->readRegister(address, value);
}

bool Interface::writeRegister(uint32_t address, uint32_t value)
{
    return m_link && m_link->writeRegister(address, value);
}

bool Interface::controlRead(uint32_t address, uint8_t* data, size_t length)
{
    return m_link && m_link->controlRead(address, data, length);
}

bool Interface::controlWrite(uint32_t address, const uint8_t* data, size_t length)
{
    return m_link && m_link->controlWrite(address, data, length);
}

void Interface::delay(uint32_t counts)
{
    if (m_link) {
        m_link->delay(counts);
    }
}

std::shared_ptr<BulkEndpoint> Interface::openEndpoint(uint8_t address, size_t bufferBytes, size_t depth)
{
    return m_link ? m_link->openEndpoint(address, bufferBytes, depth) : nullptr;
}

} // namespace tarvo
