#pragma once

namespace platform {

enum class CursorShape { Default, HourGlass };

// The pointer shape shown over the whole application.
CursorShape ScreenCursor();
void SetScreenCursor(CursorShape shape);

}  // namespace platform
