#pragma once

#include <cstdlib>

namespace tarnwick::fuzz {

// A property every input must keep; libFuzzer reports the abort with the input that broke it.
inline void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace tarnwick::fuzz
