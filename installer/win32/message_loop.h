// The installer's message loop and the nested event processing of a transfer.
#pragma once

#include <windows.h>

// Keys the window handles itself, whichever control has the focus: Esc closes
// the window, Tab and Shift+Tab move the focus, Enter does nothing. true when
// msg was one of them and must not be dispatched.
bool HandleWindowKey(const MSG& msg);

// Runs until the quit request; returns its exit code.
int RunMessageLoop();

// Handles the waiting messages as the message loop would. Returns false, leaving
// the quit request queued, once a quit request is seen or the main window is gone.
bool ProcessPendingEvents();
