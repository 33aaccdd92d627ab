// The themed message box: the only way the program shows a message.
#pragma once
#include <string>

#include "common/win.h"
#include "ui/ui_logic.h"

int ShowMessageBox(HWND owner, int kind, const std::u16string& title, const std::u16string& text);
