#pragma once

#include "TarvoBase/Logger.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>

namespace tarvo {

// Callbacks kept under ids counted from 0 and never reused. dispatch() calls every callback
// while it holds the registry's lock, so once remove() has returned the callback neither runs
// nor will run again. A callback that adds or removes callbacks of the registry that is
// calling it gets std::logic_error instead of a deadlock; an exception a callback throws is
// logged and the other callbacks still run.
template <class Callback> class CallbackRegistry
{
public:
    // `logSource` and `kind` ("Event callback") name the registry in log lines.
    CallbackRegistry(const char* logSource, const char* kind) : m_logSource(logSource), m_kind(kind) {}

    uint32_t add(Callback callback)
    {
        refuseInsideDispatch();
        std::lock_guard<std::mutex> lock(m_mutex);
        const uint32_t id = m_nextId++;
        m_callbacks.emplace(id, std::move(callback));
        return id;
    }

    bool remove(uint32_t id)
    {
        refuseInsideDispatch();
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_callbacks.erase(id) != 0;
    }

    // Removes every callback; ids go on counting from where they were.
    void clear()
    {
        refuseInsideDispatch();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_callbacks.clear();
    }

    bool empty()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_callbacks.empty();
    }

    template <class... Args> void dispatch(Args... args)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_callbacks.empty()) {
            return;
        }
        m_dispatching = std::this_thread::get_id();
        for (auto& [id, callback] : m_callbacks) {
            try {
                callback(args...);
            } catch (const std::exception& error) {
                Logger::Instance().log_(4, m_logSource, __LINE__, "%s %u failed: %s", m_kind, id,
                                        error.what());
            } catch (...) {
                Logger::Instance().log_(4, m_logSource, __LINE__, "%s %u failed", m_kind, id);
            }
        }
        m_dispatching = std::thread::id();
    }

private:
    void refuseInsideDispatch() const
    {
        if (m_dispatching.load() == std::this_thread::get_id()) {
            throw std::logic_error(std::string(m_kind) + "s cannot be added or removed from inside one");
        }
    }

    const char* m_logSource;
    const char* m_kind;
    std::mutex m_mutex; // guards m_callbacks and m_nextId
    std::unordered_map<uint32_t, Callback> m_callbacks;
    uint32_t m_nextId = 0;
    std::atomic<std::thread::id> m_dispatching{}; // the thread inside dispatch(), if any
};

} // namespace tarvo
