// Applying the live theme to the editor, the window frame and the open themed windows.
#pragma once
#include <cstdint>
#include <string>

#include "common/win.h"
#include "settings/theme.h"

// The palette of the live theme.
const ColorPalette& GetColorPalette();

// Switches the live theme (0..5; anything else is ignored), restyles, stores the choice
// and tells the open themed windows.
void ApplyTheme(uint32_t themeId);

// Restyles the edit control and the window frame for the live theme.
void ApplyEditorTheme();

// Font face, size and colours of the default style (style 32) from the live theme and font.
void SetDefaultStyleFontAndColours();

// Font, size and colours of the default style, copied to every style; the line-number style.
void ApplyBaseStyles();

// The live font face as UTF-8, at most 63 bytes, cut on a character boundary.
std::string EditorFontUtf8();

// Window transparency in percent; 0 removes the layered style.
void ApplyTransparency(HWND window, int percent);

