// The toolbar: six self-drawn buttons across the top of the main window.
#pragma once
#include "common/win.h"

LRESULT CALLBACK ToolbarWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Save is enabled exactly when the document is modified; the others always.
void UpdateToolbar();
// For tests: whether button `index` is enabled, and its rectangle.
bool ToolbarButtonEnabled(int index);
RECT ToolbarButtonRect(int index);
