#pragma once

#include "data/error.h"

#include <QString>
#include <functional>

// The message of the Error that f raises; empty when it raises none.
inline QString messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}
