#pragma once

#include <string>

namespace tarnwick {

// Hands an address to the user's default web browser.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when no browser could be started for it.
    virtual bool Open(const std::string& url) = 0;
};

}  // namespace tarnwick
