// Owner-drawn menus in the live theme: the editor's context menu (its entries come from the
// caller) and the menu of dialogs' edit fields.
#pragma once
#include <vector>

#include "common/win.h"
#include "ui/menu_model.h"

// Builds, tracks and destroys a context menu of `entries`; (-1, -1) means at the mouse cursor.
// The chosen command goes to `owner` as WM_COMMAND.
void TrackContextMenu(HWND owner, POINT screen, const std::vector<MenuEntry>& entries);
// WM_MEASUREITEM / WM_DRAWITEM for the context menu's items; false for other items.
bool MeasureMenuItem(MEASUREITEMSTRUCT* item);
bool DrawMenuItem(const DRAWITEMSTRUCT* item);

// Whether the clipboard holds text.
bool ClipboardHasText();

// A control (an edit field) that shows no context menu at all.
void SuppressContextMenu(HWND control);

// Hooks the edit field of a combo box so that it shows the edit-field menu.
void AttachEditContextMenu(HWND combo, HWND owner);
void ShowEditContextMenu(HWND edit, HWND owner, POINT screen);
bool MeasureEditMenuItem(MEASUREITEMSTRUCT* item);
bool DrawEditMenuItem(const DRAWITEMSTRUCT* item);
EditFieldState ReadEditFieldState(HWND edit);
