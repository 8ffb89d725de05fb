#pragma once

#include "TarvoHal/CameraDescription.h"
#include "TarvoHalBackend/DeviceLink.h"
#include "TarvoSim/DeviceConfig.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace tarvo::sim {

class SimEndpoint;

// The kind's name in device lists and log lines ("usb-event", "eth-event", "fusion").
const char* kindName(DeviceKind kind);

// A simulated camera on the bus: a register file (every address can be written; reads of
// unwritten registers give the sensor's reset values), control blocks, a stored calibration
// block, the network setting of Ethernet cameras, and its clock. Subclasses add endpoints.
class SimDevice : public DeviceLink, public std::enable_shared_from_this<SimDevice>
{
public:
    using Clock = std::chrono::steady_clock;

    explicit SimDevice(const DeviceConfig& config);
    ~SimDevice() override;

    const DeviceConfig& config() const { return m_config; }
    DeviceKind kind() const { return m_config.kind; }
    // The description a finder reports, with the current network setting.
    CameraDescription description() const;
    // Makes the device vanish: the connection check fails, streams end, waits return.
    void unplug();

    // Microseconds since the device was attached: the event clock of paced streams.
    uint64_t clockUs() const;
    Clock::time_point wallTimeOf(uint64_t clockUs) const;
    // Counts register writes that change what the device streams.
    uint64_t effectsGeneration() const { return m_effectsGeneration.load(); }
    uint32_t registerValue(uint32_t address) const;
    // Keeps every register write (address, value) from now on, in order, for tests that follow
    // a bring-up; off by default so that a long session keeps nothing.
    void recordWrites();
    std::vector<std::pair<uint32_t, uint32_t>> recordedWrites() const;

    // DeviceLink
    bool connected() const override { return m_connected.load(); }
    uint64_t sessionId() const override { return m_sessionId; }
    bool readRegister(uint32_t address, uint32_t& value) override;
    bool writeRegister(uint32_t address, uint32_t value) override;
    bool controlRead(uint32_t address, uint8_t* data, size_t length) override;
    bool controlWrite(uint32_t address, const uint8_t* data, size_t length) override;
    bool transferFrame(const std::vector<uint8_t>& request, std::vector<uint8_t>& answer) override;
    void delay(uint32_t counts) override;
    bool readCalibration(std::vector<uint8_t>& json) override;
    bool writeCalibration(const std::vector<uint8_t>& json) override;
    std::shared_ptr<BulkEndpoint> openEndpoint(uint8_t address, size_t bufferBytes, size_t depth) override;
    bool getNetworkConfig(uint32_t& ip, uint32_t& mask, uint32_t& gateway) const override;
    bool setNetworkConfig(uint32_t ip, uint32_t mask, uint32_t gateway) override;
    bool setEventStream(bool enabled) override;

protected:
    // A register's value, 0 when never written; the caller holds m_mutex.
    uint32_t registerValueLocked(uint32_t address) const;
    // Creates the endpoint `address` or returns nullptr; called without the device lock.
    virtual std::shared_ptr<SimEndpoint> makeEndpoint(uint8_t address, size_t bufferBytes, size_t depth);
    // Called with the device lock held after a register write.
    virtual void onRegisterWritten(uint32_t address, uint32_t value);
    // Answers a control frame (property, payload); false refuses it. Called with the lock held.
    virtual bool answerFrame(uint32_t property, const std::vector<uint32_t>& payload);
    // Called with the lock held after anything that may change what the device streams.
    virtual void onStateChanged();
    // Wakes the endpoint threads after a change of state; call without the device lock.
    void wakeEndpoints();
    void resetRegisters(); // lock held

    bool ethStreamEnabled() const { return m_ethStream.load(); }

    DeviceConfig m_config;
    mutable std::mutex m_mutex; // guards m_registers, m_blocks, m_record*, m_calibration, m_network*,
                                // m_endpoints
    std::map<uint32_t, uint32_t> m_registers;
    std::map<uint32_t, std::vector<uint8_t>> m_blocks; // control blocks by address
    bool m_recording = false;
    std::vector<std::pair<uint32_t, uint32_t>> m_recordedWrites;
    std::vector<uint8_t> m_calibration;
    uint32_t m_ip = 0, m_mask = 0, m_gateway = 0;
    std::atomic<uint64_t> m_effectsGeneration{0};

private:
    const std::map<uint32_t, uint32_t>& resetValues() const;

    std::atomic<bool> m_connected{true};
    std::atomic<bool> m_ethStream{false};
    uint64_t m_sessionId;
    Clock::time_point m_attached;
    std::vector<std::weak_ptr<SimEndpoint>> m_endpoints;
    std::mutex m_delayMutex; // pairs with m_delayCondition; guards nothing else
    std::condition_variable m_delayCondition;
};

} // namespace tarvo::sim
