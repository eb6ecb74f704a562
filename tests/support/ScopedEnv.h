// Sets an environment variable (or, with nullptr, removes it) for one scope
// and puts the old value back at its end.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(value);
    }
    ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) { value ? ::setenv(m_name, value, 1) : ::unsetenv(m_name); }
    const char* m_name;
    std::optional<std::string> m_old;
};
