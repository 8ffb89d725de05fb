// What the camera tools of the IMX636 and IMX415 sensors say about themselves. TarvoHal declares
// getToolInfo() in each of its tool classes and leaves the definition to the driver, whose data
// it is; EthConfig supplies its own.
#include "TarvoHal/Imx415ApsCtrl.h"
#include "TarvoHal/Imx636AntiFlicker.h"
#include "TarvoHal/Imx636Biases.h"
#include "TarvoHal/Imx636EventRateControl.h"
#include "TarvoHal/Imx636EventTrailFilter.h"
#include "TarvoHal/Imx636ROI.h"
#include "TarvoHal/Imx636Sync.h"
#include "TarvoHal/Imx636TriggerIn.h"

// Referenced by the linker option of TarvoDriver_static (driver/CMakeLists.txt), so that a static
// link keeps these definitions for the TarvoHal objects that come after the driver's archive.
extern "C" void tarvo_driver_tool_infos() {}

namespace tarvo {
namespace {

// A tool whose parameters are the names of its own parameter table, in ascending order.
ToolInfo listingOwnParameters(const CameraTool& tool, ToolType type, const char* name,
                              const char* description)
{
    ToolInfo info{type, name, {}, description};
    for (const auto& [parameter, details] : tool.getAllParamInfo()) {
        info.parameters.push_back(parameter);
    }
    return info;
}

} // namespace

ToolInfo Imx636Biases::getToolInfo() const
{
    return {TOOL_BIASES,
            "Biases",
            {"bias_fo", "bias_hpf", "bias_diff_on", "bias_diff", "bias_diff_off", "bias_refr"},
            "Biases of DVS cameras with IMX636 sensor"};
}

ToolInfo Imx636TriggerIn::getToolInfo() const
{
    return {TOOL_TRIGGER_IN, "TriggerIn", {"enable"}, "Trigger in of DVS cameras with IMX636 sensors"};
}

ToolInfo Imx636Sync::getToolInfo() const
{
    return {TOOL_SYNC, "Sync", {"mode"}, "Sync of DVS cameras with IMX636 sensors"};
}

ToolInfo Imx636AntiFlicker::getToolInfo() const
{
    return listingOwnParameters(*this, TOOL_ANTI_FLICKER, "AntiFlicker",
                                "Anti flicker of DVS cameras with IMX636 sensor.");
}

ToolInfo Imx636EventTrailFilter::getToolInfo() const
{
    return {TOOL_EVENT_TRAIL_FILTER,
            "EventTrailFilter",
            {"enable", "threshold", "type"},
            "Event Trail Filter of DVS cameras with IMX636 sensor"};
}

ToolInfo Imx636EventRateControl::getToolInfo() const
{
    return {TOOL_EVENT_RATE_CONTROL,
            "EventRateControl",
            {"enable", "max_event_rate"},
            "ERC of DVS cameras with IMX636 sensor"};
}

ToolInfo Imx636ROI::getToolInfo() const
{
    return {TOOL_ROI,
            "ROI",
            {"enable", "mode", "x", "y", "x_width", "y_height"},
            "ROI of DVS cameras with IMX636 sensor"};
}

ToolInfo Imx415ApsCtrl::getToolInfo() const
{
    // "sonsors" is the description's own spelling, kept on purpose.
    return listingOwnParameters(*this, TOOL_APS_CTRL, "ApsCtrl", "Ctrl of APS cameras with IMX415 sonsors");
}

} // namespace tarvo
