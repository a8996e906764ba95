#include "notify/Notification.h"

namespace tarnwick {

std::string Notification::Text() const {
    std::string text = title + "\n";
    if (!lines.empty()) {
        text += "\n";
    }
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

}  // namespace tarnwick
