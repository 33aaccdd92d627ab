// Offers the editor in the shell's open-with lists, and keeps the title bar in the editor's
// own theme when the system's colours change.
#pragma once
#include "common/win.h"

// The 21 extensions offered, in order.
extern const wchar_t* const kAssociatedExtensions[21];

// Registers the per-user document type and open-with entries unless the stored open
// command already names this executable. Returns whether anything was written.
bool RegisterFileAssociation();

void OnSystemColorsChanged(HWND mainWindow);
