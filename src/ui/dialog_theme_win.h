// The colour rules every themed dialog follows (Settings, Font, Find and Replace, Regex
// Search, Export, progress windows): call ThemeDialog when the dialog is created and again
// on WMU_APPLY_THEME, pass its messages to HandleDialogColours, and draw its push buttons
// with DrawDialogButton.
#pragma once
#include "common/handles_win.h"
#include "common/win.h"

// Dark or light title bar, the dialog background, visual styles of combo, group and check
// boxes, and owner-drawn push buttons.
void ThemeDialog(HWND dialog);

// WM_CTLCOLOR* and WM_ERASEBKGND with the live theme's colours. Returns true when the
// message was handled; `result` is then the dialog procedure's return value.
bool HandleDialogColours(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result);

// Centres a dialog over its owner, kept inside the owner's monitor work area so that its
// caption can always be reached.
void CentreOverOwner(HWND dialog);

// An owner-drawn push button: rounded face, focus outline, highlight line, caption.
void DrawDialogButton(const DRAWITEMSTRUCT& item);

// "Segoe UI" at a pixel height (negative: character height), normal weight, ClearType.
Font UiFont(int height);
// The one-pixel highlight line just below a button's top edge, 4 pixels in from each side.
void DrawButtonHighlight(HDC dc, const RECT& r, COLORREF colour);
// A button's caption centred on one line in "Segoe UI", moved down a pixel while pressed.
void DrawButtonCaption(HDC dc, RECT r, const wchar_t* caption, int fontHeight, COLORREF colour, bool pressed);
