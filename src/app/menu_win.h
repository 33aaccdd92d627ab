// The owner-drawn context menu of the editor and the menu of dialogs' edit fields.
#pragma once
#include "app/menu_model.h"
#include "common/win.h"

// The editor's state as the context menu needs it.
MenuState CurrentMenuState();
// Builds, tracks and destroys the context menu; (-1, -1) means at the mouse cursor.
void ShowContextMenu(HWND owner, POINT screen);
// WM_MEASUREITEM / WM_DRAWITEM for the context menu's items; false for other items.
bool MeasureMenuItem(MEASUREITEMSTRUCT* item);
bool DrawMenuItem(const DRAWITEMSTRUCT* item);

// Hooks the edit field of a combo box so that it shows the edit-field menu.
void AttachEditContextMenu(HWND combo, HWND owner);
void ShowEditContextMenu(HWND edit, HWND owner, POINT screen);
bool MeasureEditMenuItem(MEASUREITEMSTRUCT* item);
bool DrawEditMenuItem(const DRAWITEMSTRUCT* item);
EditFieldState ReadEditFieldState(HWND edit);
