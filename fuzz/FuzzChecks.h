#pragma once

#include <cstdlib>
#include <exception>

#include "base/DateTime.h"

namespace tarnwick::fuzz {

// A property every input must keep; libFuzzer reports the abort with the input that broke it.
inline void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// What may end a page's records early: an impossible date, and nothing else.
inline void RequireOnlyAnImpossibleDate(const std::exception_ptr& cutShort) {
    if (!cutShort) {
        return;
    }
    try {
        std::rethrow_exception(cutShort);
    } catch (const InvalidDateTime&) {
    } catch (...) {
        std::abort();
    }
}

}  // namespace tarnwick::fuzz
