// The status bar: its five texts and its own theme-coloured painting.
#pragma once
#include "common/win.h"

void SubclassStatusBar(HWND statusBar);

// The five texts, rebuilt from the document state and the editor.
void UpdateStatusBar();
// Part edges for a client width.
void SetStatusBarParts(int clientWidth);
