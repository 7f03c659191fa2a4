// The percent label: a transparent STATIC lying over the progress bar, so only
// its text is drawn and the bar shows around and behind it.
#pragma once

#include <windows.h>

// Subclasses the bar so that the label's text is drawn again over every repaint
// of the bar.
void KeepPercentLabelReadable(HWND bar, HWND label);

// Replaces the label's caption. The bar under it is redrawn first, so no trace of
// the old caption stays.
void SetPercentCaption(HWND bar, HWND label, const char* text);

// The WM_CTLCOLORSTATIC answer for the label: black text, nothing behind it.
HBRUSH PercentLabelColors(HDC dc);
