#pragma once

#include "sensor/Sensor.h"

namespace tarvo {

// The IMX415 frame sensor of the fusion camera: NV12 frames of width × height on bulk endpoint
// 0x53, one frame a transfer, switched on and off by the whole register "aps_ctrl".
class Imx415Sensor : public Sensor
{
public:
    static constexpr uint32_t width = 3840;
    static constexpr uint32_t height = 2160;
    static constexpr size_t frameBytes = size_t{width} * height * 3 / 2;

    int init(std::shared_ptr<Interface> transport) override;
    int start() override;
    int stop() override;

private:
    bool writeApsCtrl(uint32_t value);
};

} // namespace tarvo
