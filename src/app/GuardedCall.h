#pragma once

#include <functional>

class QWidget;

namespace tarnwick {

class UserPrompts;

// Runs one event handler so that no exception reaches the Qt event loop: a failure ends the
// handler and its text is shown in the error box. Returns whether the handler ran to its end.
bool RunGuarded(UserPrompts& prompts, QWidget* owner, const std::function<void()>& handler);

}  // namespace tarnwick
