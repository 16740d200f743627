#include "skin/ButtonStates.h"

std::optional<TButtonState> StateAfter(TButtonEvent event, TButtonInput input)
{
    if (!input.Enabled) return std::nullopt;
    switch (event) {
    case TButtonEvent::MouseEnter: return input.LeftDownOnButton ? TButtonState::Pressed : TButtonState::Over;
    case TButtonEvent::MouseLeave: return input.LeftDownOnButton ? TButtonState::Pressed : TButtonState::Normal;
    case TButtonEvent::MouseDown: return TButtonState::Pressed;
    case TButtonEvent::MouseUp: return input.CursorInside ? TButtonState::Over : TButtonState::Normal;
    case TButtonEvent::Click: return TButtonState::Normal;
    }
    return std::nullopt;
}
