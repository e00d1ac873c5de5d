// The message of the engine error an action raises; empty when it raises none.
#pragma once

#include <functional>
#include <string>

#include "engine/errors.h"

inline std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const engine::Error& e) {
        return e.what();
    }
    return "";
}
