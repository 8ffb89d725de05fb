#pragma once

#include "sensor/Sensor.h"

namespace tarvo {

// The IMX636 event sensor: its event stream on bulk endpoint 0x52 and its bring-up, start and
// stop by the driver's register sequences and field writes.
class Imx6x6Sensor : public Sensor
{
public:
    int init(std::shared_ptr<Interface> transport) override;
    int start() override;
    int stop() override;

private:
    // Each step answers whether every access was taken.
    bool temperatureInit();
    bool controlIphMirror(bool enable);
    bool controlLifo(bool enable, bool outputEnable, bool countEnable);
    bool timeBaseConfig(bool external, bool master);

    bool writeFields(std::initializer_list<std::tuple<const char*, const char*, uint32_t>> writes);
    // Waits on the device's clock, as the sequences' waits do.
    bool wait(uint32_t us);
};

} // namespace tarvo
