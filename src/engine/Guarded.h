// A value behind a mutex: readers take a copy, writers change it in one piece.
#pragma once

#include <mutex>
#include <utility>

template <class T>
class Guarded {
public:
    Guarded() = default;
    explicit Guarded(T value) : m_value(std::move(value)) {}
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    T Get() const {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    void Set(T value) {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }
    // Runs f(T&) under the lock and returns what it returns. f must not call
    // back into this object or wait for another thread.
    template <class F>
    auto Update(F&& f) {
        std::lock_guard lock(m_mutex);
        return std::forward<F>(f)(m_value);
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};
