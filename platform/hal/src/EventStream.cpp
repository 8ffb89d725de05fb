#include "TarvoHal/EventStream.h"

namespace tarvo {

EventStream::EventStream(std::unique_ptr<DataTransfer> transfer) : m_transfer(std::move(transfer)) {}

bool EventStream::start()
{
    return m_transfer && m_transfer->start();
}

void EventStream::stop()
{
    if (m_transfer) {
        m_transfer->stop();
    }
}

int EventStream::waitNextBuffer()
{
    return m_transfer ? m_transfer->waitNextBuffer() : 0;
}

std::optional<std::shared_ptr<std::vector<uint8_t>>> EventStream::getLatestBuffer()
{
    if (!m_transfer) {
        return std::nullopt;
    }
    return m_transfer->getLatestBuffer();
}

uint64_t EventStream::getDroppedBufferCount() const
{
    return m_transfer ? m_transfer->droppedBufferCount() : 0;
}

} // namespace tarvo
