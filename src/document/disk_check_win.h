// The disk check: when the main window is activated, has the document's file gone?
#pragma once
#include "common/win.h"

// Offers to save the document again, or to keep it as untitled.
void CheckDiskOnActivate(HWND owner);
