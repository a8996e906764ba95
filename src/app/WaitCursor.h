#pragma once

namespace tarnwick {

// The hourglass for as long as the object lives; every way out of the scope restores the cursor.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace tarnwick
