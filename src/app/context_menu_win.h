// The editor's context menu: the state it shows, and showing it.
#pragma once
#include "app/context_menu.h"
#include "common/win.h"

// The editor's state as the context menu needs it.
MenuState CurrentMenuState();
// Builds, tracks and destroys the context menu; (-1, -1) means at the mouse cursor. Nothing
// in the viewer.
void ShowContextMenu(HWND owner, POINT screen);
