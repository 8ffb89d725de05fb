#include "SensorTestSupport.h"

#include "sensor/Imx636RegisterTable.h"
#include "sensor/Imx636Sequences.h"

#include <gtest/gtest.h>

namespace tarvo::test {

SensorCamera::SensorCamera(const sim::DeviceConfig& config) : AttachedCamera(config)
{
    if (interface) {
        registers = std::make_shared<RegisterController>(interface, IMX636_REGISTER_TABLE,
                                                         IMX636_REGISTER_TABLE_SIZE, "PSEE/IMX636/");
    }
}

void SensorCamera::bringUp()
{
    ASSERT_TRUE(registers->ApplyRegisterOperationSequence(imx636StopSequence()));
    ASSERT_TRUE(registers->ApplyRegisterOperationSequence(imx636PowerUpSequence()));
    ASSERT_TRUE(registers->ApplyRegisterOperationSequence(imx636ConfigurationSequence()));
}

void SensorCamera::start()
{
    ASSERT_TRUE(registers->ApplyRegisterOperationSequence(imx636StartSequence()));
}

void SensorCamera::stop()
{
    ASSERT_TRUE(registers->ApplyRegisterOperationSequence(imx636StopSequence()));
}

} // namespace tarvo::test
