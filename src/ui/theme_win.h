// Applying the live theme to the editor, the window frame and the open themed windows.
#pragma once
#include <cstdint>
#include <string>

#include "common/win.h"
#include "settings/settings_win.h"

// The theme list of the Settings dialog, which follows the live theme while it is open.
constexpr int kSettingsThemeList = 302;

// Switches the live theme (0..5; anything else is ignored), restyles, stores the choice
// and tells the open themed windows.
void ApplyTheme(uint32_t themeId);

// Restyles the edit control and the window frame for the live theme.
void ApplyEditorTheme();

// Window transparency in percent; 0 removes the layered style.
void ApplyTransparency(HWND window, int percent);

