#pragma once

#include <string>

namespace tarnwick {

// Hands an address to the user's default web browser. Nothing is reported when that fails.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void Open(const std::string& url) = 0;
};

}  // namespace tarnwick
