// The status bar: its five texts and its own theme-coloured painting.
#pragma once
#include "common/win.h"

void SubclassStatusBar(HWND statusBar);
