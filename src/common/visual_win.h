// The one place that talks to the desktop window manager and visual styles.
#pragma once
#include "common/win.h"

// Dark or light title bar (DWM attribute 20, falling back to 19), then a frame change.
void SetTitleBarDark(HWND window, bool dark);

// Only the DWM attribute, without the frame change (used while a frame is being activated).
void SetTitleBarDarkAttribute(HWND window, bool dark);

// "DarkMode_Explorer" or "Explorer" visual style.
void SetExplorerStyle(HWND window, bool dark);

// Switches a control's visual style off (empty names), so that its colours can be set.
void ClearVisualStyle(HWND window);

// SetWindowPos with frame changed and nothing else.
void SendFrameChange(HWND window);
