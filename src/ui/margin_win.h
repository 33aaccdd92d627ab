// The line-number margin: a window of its own beside the edit control.
#pragma once
#include "common/win.h"

LRESULT CALLBACK MarginWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Width in pixels for the current document and font (0 when hidden or without an editor).
int LineNumberMarginWidth();
// Recomputes the width (re-laying out the main window when it changed) and repaints.
void RefreshLineNumberMargin();
// Shows or hides the margin (and sets the live line-numbers setting); the caller lays the
// main window out again.
void ShowLineNumberMargin(bool shown);
