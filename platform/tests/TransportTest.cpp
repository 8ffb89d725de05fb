#include "SimTestSupport.h"
#include "TarvoHal/CtrlFrame.h"
#include "TarvoHal/DataTransfer.h"
#include "TarvoHal/EventStream.h"
#include "TarvoHal/UsbInterface.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(CtrlFrame, CarriesPropertySizeAndPayloadAndTakesTheAnswerInPlace)
{
    CtrlFrame frame(0x40010010);
    frame.push_back32(0);
    frame.push_back32(1);
    EXPECT_EQ(frame.get_property(), 0x40010010u);
    EXPECT_EQ(frame.frame_size(), 16u);
    EXPECT_EQ(frame.payload32(1), 1u);
    frame.updateSize();
    EXPECT_EQ(frame.bytes()[4], 8u); // payload bytes

    frame.answer() = CtrlFrame::build(0x40010010, {0, 42});
    frame.swap_req_and_answer();
    EXPECT_EQ(frame.payloadWords(), 2u);
    EXPECT_EQ(frame.payload32(1), 42u);
    EXPECT_EQ(frame.payload32(5), 0u); // beyond the end

    frame.answer() = {1, 2, 3}; // a malformed answer still leaves a readable frame
    frame.swap_req_and_answer();
    EXPECT_EQ(frame.frame_size(), 8u);
    EXPECT_EQ(frame.payloadWords(), 0u);
}

TEST(DataTransfer, EndpointTheDeviceLacksDeliversNothingAndSaysSo)
{
    test::AttachedCamera camera(test::eventCameraConfig("NO-FRAMES", 1e5));
    test::LogCapture log;
    EventStream frames(createDataTransferUniquePtr(camera.interface, 2, 1000, 1, 0x53));
    EXPECT_TRUE(log.contains(4, "No bulk endpoint 0x53"));
    EXPECT_FALSE(frames.start());
    EXPECT_EQ(frames.waitNextBuffer(), 0);
    EXPECT_FALSE(frames.getLatestBuffer().has_value());
}

TEST(DataTransfer, EventCameraRefusesControlFrames)
{
    test::AttachedCamera camera(test::eventCameraConfig("NO-FRAMES-2", 1e5));
    auto& usb = dynamic_cast<UsbInterface&>(*camera.interface);
    CtrlFrame frame(0x40010010);
    frame.push_back32(0);
    frame.push_back32(1);
    EXPECT_THROW(usb.transferFrame(frame), std::runtime_error);
    camera.device->unplug();
    EXPECT_THROW(usb.transferFrame(frame), std::runtime_error);
    std::vector<uint8_t> json;
    EXPECT_FALSE(camera.interface->readCalibration(json));
}

} // namespace
} // namespace tarvo
