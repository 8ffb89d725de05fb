#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace tarvo {

// A bounded pool of reusable objects. acquire() hands an object out as a shared pointer whose
// release gives it back; when every pooled object is out, a new one is made, and objects
// returned to a full pool are freed. Objects handed out may outlive the pool.
template <typename T> class VxObjectPool
{
public:
    VxObjectPool(size_t capacity, std::function<std::unique_ptr<T>()> make)
        : m_shelf(std::make_shared<Shelf>(capacity, std::move(make)))
    {
    }

    std::shared_ptr<T> acquire()
    {
        std::unique_ptr<T> object;
        {
            std::lock_guard<std::mutex> lock(m_shelf->mutex);
            if (!m_shelf->idle.empty()) {
                object = std::move(m_shelf->idle.back());
                m_shelf->idle.pop_back();
            }
        }
        if (!object) {
            object = m_shelf->make();
        }
        std::weak_ptr<Shelf> home = m_shelf;
        return std::shared_ptr<T>(object.release(), [home](T* raw) {
            std::unique_ptr<T> returned(raw);
            if (auto shelf = home.lock()) {
                std::lock_guard<std::mutex> lock(shelf->mutex);
                if (shelf->idle.size() < shelf->capacity) {
                    shelf->idle.push_back(std::move(returned));
                }
            }
        });
    }

    size_t capacity() const { return m_shelf->capacity; }

    size_t idleCount() const
    {
        std::lock_guard<std::mutex> lock(m_shelf->mutex);
        return m_shelf->idle.size();
    }

private:
    struct Shelf
    {
        Shelf(size_t capacity_, std::function<std::unique_ptr<T>()> make_)
            : capacity(capacity_), make(std::move(make_))
        {
        }
        const size_t capacity;
        const std::function<std::unique_ptr<T>()> make;
        std::mutex mutex; // guards idle
        std::vector<std::unique_ptr<T>> idle;
    };

    std::shared_ptr<Shelf> m_shelf;
};

struct VxObjectPoolFactory
{
    // A pool of up to `count` objects, each made as T(args...) when first needed.
    template <typename T, typename... Args>
    static std::unique_ptr<VxObjectPool<T>> createUniqueVxObjectPoolWithArgs(size_t count, Args... args)
    {
        return std::make_unique<VxObjectPool<T>>(count, [args...]() { return std::make_unique<T>(args...); });
    }
};

} // namespace tarvo
