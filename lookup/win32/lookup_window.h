// The lookup window: a code box for the four-byte product code, a result box
// below it that follows every change of the code, and two labels.
#pragma once

#include <windows.h>

// Creates the window and its controls, loads the release list (which may end the
// program) and shows the window. nullptr if the window could not be made.
HWND CreateLookupWindow(HINSTANCE instance);

// Keys the window handles before any control sees them: Esc closes the window
// from whichever control has the focus, Tab moves between the two boxes.
// true when msg was handled and must not be dispatched.
bool HandleLookupWindowKey(const MSG& msg);
