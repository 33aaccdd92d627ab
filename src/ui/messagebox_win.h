// The themed message box: the only way the program shows a message.
#pragma once
#include <string>

#include "common/win.h"
#include "ui/ui_logic.h"

int ShowMessageBox(HWND owner, int kind, const std::u16string& title, const std::u16string& text);

// A warning in the system's own message box (exclamation icon, OK) titled "Norvo"; through
// the test hook when one is set.
void ShowSystemWarning(HWND owner, const std::u16string& text);
