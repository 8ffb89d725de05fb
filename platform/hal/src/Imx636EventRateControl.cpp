#include "TarvoHal/Imx636EventRateControl.h"

#include "ParamBuilders.h"

#include <algorithm>

namespace tarvo {
namespace {

constexpr unsigned kHighestRate = 200;       // Mev/s
constexpr uint32_t kReferencePeriodUs = 200; // counting window of the rate control

} // namespace

Imx636EventRateControl::Imx636EventRateControl(std::shared_ptr<RegisterController> controller)
    : CameraToolRegisterWithCallback(std::move(controller), "hal/tools/Imx636EventRateControl"),
      m_limit(kHighestRate)
{
    addParam(boolParam("enable", false, "Limit the event rate"));
    addParam(intParam("max_event_rate", 1, static_cast<int>(kHighestRate), 20, "Mev/s",
                      "Most events per second let through"));
}

void Imx636EventRateControl::setMaxLimitEventRate(unsigned limit)
{
    if (limit == 0) {
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_limit = std::min(limit, kHighestRate);
    setIntRange("max_event_rate", 1, static_cast<int>(m_limit));
    if (static_cast<unsigned>(current("max_event_rate").i) > m_limit) {
        Value lowered;
        lowered.i = static_cast<int>(m_limit);
        if (applyParam("max_event_rate", lowered)) {
            storeCurrent("max_event_rate", lowered);
        }
    }
}

unsigned Imx636EventRateControl::getMaxLimitEventRate() const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_limit;
}

bool Imx636EventRateControl::applyParam(const std::string& name, const Value& value)
{
    if (name == "enable") {
        return writeField("erc/reference_period", "erc_reference_period", kReferencePeriodUs) &&
               writeField("erc/erc_enable", "rate_control_en", value.b ? 1 : 0);
    }
    // Mev/s → events per reference period.
    const auto target = static_cast<uint32_t>(value.i) * kReferencePeriodUs;
    return writeField("erc/reference_period", "erc_reference_period", kReferencePeriodUs) &&
           writeField("erc/td_target_event_rate", "target_event_rate", target);
}

} // namespace tarvo
