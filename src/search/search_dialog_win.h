// What the Find and Replace and the Regex Search dialogs handle alike: edit fields in the
// editor's colours, owner-drawn push buttons, the edit-field menus of their combo boxes, and
// the shared dialog colour rules for everything else.
#pragma once
#include "common/win.h"

// True when the message was handled; `result` is then the dialog procedure's return value.
bool HandleSearchDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result);
