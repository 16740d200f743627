#pragma once

// Which picture the skinned button shows after a mouse or enabling event.
// The button keeps no state of its own beyond the picture it shows.

#include <optional>

enum class TButtonState { Normal = 0, Over = 1, Pressed = 2, Disabled = 3 };

// Click: the click's handler is about to run. It may hold the screen with a
// modal dialog, which the mouse then works in; MouseUp follows once it returns.
enum class TButtonEvent { MouseEnter, MouseLeave, MouseDown, MouseUp, Click };

struct TButtonInput {
    bool Enabled = true;
    bool LeftDownOnButton = false;  // the button's own left-button-down state
    bool CursorInside = false;      // for MouseUp: the cursor within the button's screen rectangle
};

// The state to show; none while the button is disabled, which ignores the mouse.
std::optional<TButtonState> StateAfter(TButtonEvent event, TButtonInput input);

inline TButtonState EnabledState(bool enabled)
{
    return enabled ? TButtonState::Normal : TButtonState::Disabled;
}
