// An environment variable set (or unset) for the life of an object, as it was before afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

struct ScopedEnv {
    std::string name;
    std::optional<std::string> old;
    // value null unsets the variable.
    ScopedEnv(const char* n, const char* value) : name(n) {
        if (const char* v = std::getenv(n)) old = v;
        if (value)
            setenv(n, value, 1);
        else
            unsetenv(n);
    }
    ScopedEnv(const char* n, const std::string& value) : ScopedEnv(n, value.c_str()) {}
    ~ScopedEnv() {
        if (old)
            setenv(name.c_str(), old->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
};
