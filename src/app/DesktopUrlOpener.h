#pragma once

#include "app/UrlOpener.h"

namespace tarnwick {

// Opens addresses with the desktop's default browser.
class DesktopUrlOpener : public UrlOpener {
public:
    bool Open(const std::string& url) override;
};

}  // namespace tarnwick
