#pragma once

#include "camera/DvsCameraPrivate.h"

namespace tarvo {

// An event camera with the IMX636 sensor on USB or Ethernet: init() opens the transport the
// description names, binds the sensor's register table to it, creates the EVT 3.0 decoder and
// the sensor, brings the sensor up and creates the camera's tools.
class DvsEventCamera : public DvsCameraPrivate
{
public:
    explicit DvsEventCamera(const CameraDescription& description);

    // The stream core's start(); an Ethernet camera then switches its network stream on.
    int start() override;
    uint16_t getWidth() override;
    uint16_t getHeight() override;

private:
    int init() override;
    RawEventStreamFormat getRawEventStreamFormat() override;

    std::shared_ptr<Interface> openTransport() const;
    // Creates the tools this camera does not have yet; a second init() keeps the first ones.
    void createTools();

    uint64_t m_session = 0; // the transport's setup stores its session number here
};

} // namespace tarvo
