#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace tarvo {

// A pool of reusable elements (byte vectors in the driver) handed out as shared pointers whose
// release gives the element back. The deleter holds only a weak reference to the pool, so an
// element may outlive the pool; it is then freed. In blocking mode acquire() waits for a free
// element; otherwise an empty pool makes a new, empty one.
template <typename T = std::vector<unsigned char>> class ObjectPool
{
public:
    ObjectPool(size_t count, bool blocking, size_t elementSize) : m_state(std::make_shared<State>())
    {
        if (count == 0 && blocking) {
            throw std::invalid_argument(
                "Failed to allocate memory for the bounded object pool: pool's size can not be 0.");
        }
        m_state->blocking = blocking;
        m_state->free.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            m_state->free.push_back(std::make_unique<T>(elementSize));
        }
    }

    ObjectPool(const ObjectPool&) = delete;
    ObjectPool& operator=(const ObjectPool&) = delete;

    // The most recently returned element, or a new empty one when none is free and the pool
    // does not block.
    std::shared_ptr<T> acquire()
    {
        std::unique_ptr<T> element;
        {
            std::unique_lock<std::mutex> lock(m_state->mutex);
            if (m_state->blocking) {
                m_state->returned.wait(lock, [this] { return !m_state->free.empty(); });
            }
            if (!m_state->free.empty()) {
                element = std::move(m_state->free.back());
                m_state->free.pop_back();
            }
        }
        if (!element) {
            element = std::make_unique<T>();
        }
        std::weak_ptr<State> pool = m_state;
        return std::shared_ptr<T>(element.release(), [pool](T* raw) {
            std::unique_ptr<T> owned(raw);
            if (const std::shared_ptr<State> state = pool.lock()) {
                {
                    std::lock_guard<std::mutex> lock(state->mutex);
                    state->free.push_back(std::move(owned));
                }
                state->returned.notify_one();
            }
        });
    }

    // Elements waiting in the pool, not counting those handed out.
    size_t freeCount() const
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        return m_state->free.size();
    }

private:
    struct State
    {
        mutable std::mutex mutex; // guards free
        std::condition_variable returned;
        std::vector<std::unique_ptr<T>> free;
        bool blocking = false;
    };

    std::shared_ptr<State> m_state;
};

} // namespace tarvo
