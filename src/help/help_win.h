// The modeless Help window: ten topics on the left, the chosen one's text on the right.
#pragma once
#include "common/win.h"

// Creates the window, owned by the main window, and publishes it in g_shell.helpWindow; an
// open one is brought to the front instead.
void ShowHelp(HWND mainWindow);

// The window procedure (a dialog procedure: the window comes from a template in memory).
INT_PTR CALLBACK HelpWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
