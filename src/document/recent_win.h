// The recent-files list in the settings; each change is saved at once.
#pragma once
#include <cstddef>
#include <string>

#include "common/win.h"
#include "document/recent.h"

void AddRecentFile(const std::u16string& path);
void RemoveRecentFile(size_t index);
// Asks first.
void ClearRecentFiles(HWND owner);
