#pragma once

#include "TarvoDriver/DvsTypes.h"
#include "TarvoHal/Decoder.h"

#include <functional>
#include <mutex>

namespace tarvo {

// A camera's statistic callback: replaced from any thread, called on the statistic thread with
// the decoder's rates of the last period.
class StatisticSlot
{
public:
    using Callback = std::function<void(VxStatisticInfo)>;

    void set(Callback callback)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_callback = std::move(callback);
    }

    // Called without the lock held, so that the callback may replace itself.
    void report(Decoder& decoder)
    {
        Callback callback;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            callback = m_callback;
        }
        if (callback) {
            const uint64_t eventRate = decoder.getEventRate();
            const uint64_t dataRate = decoder.getDataRate();
            callback(VxStatisticInfo(dataRate, eventRate));
        }
    }

private:
    std::mutex m_mutex; // guards m_callback
    Callback m_callback;
};

} // namespace tarvo
