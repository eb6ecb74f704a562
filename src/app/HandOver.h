// A value one thread hands to another once: the worker fills it between two
// of its steps, the UI thread's loop looks for it without waiting.
#pragma once

#include <mutex>
#include <optional>
#include <utility>

template <class T>
class CHandOver {
public:
    void Set(T value) {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }
    bool Ready() const {
        std::lock_guard lock(m_mutex);
        return m_value.has_value();
    }
    std::optional<T> Take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_value, std::nullopt);
    }

private:
    mutable std::mutex m_mutex;
    std::optional<T> m_value;
};
