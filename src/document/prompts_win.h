// The questions about the document: whether its file is still on disk, and whether to save
// changes before they would be lost.
#pragma once
#include "common/win.h"
#include "document/recent.h"

FileOnDisk CheckFileOnDisk();
// IDYES = save first, IDNO = go on without saving, IDCANCEL = stop.
int PromptSaveChanges(HWND owner);
