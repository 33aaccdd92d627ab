// The six colour themes. Colours are Windows COLORREF values (0x00BBGGRR).
#pragma once
#include <cstdint>

constexpr uint32_t kThemeCount = 6;

struct SyntaxColors {
  uint32_t keyword, comment, string, number, preprocessor, op;
};

struct ColorPalette {
  uint32_t windowBack, editorBack, panelBack, statusBack;
  uint32_t dialogText, editorText, mutedText, statusText;
  uint32_t marginBack, marginText, marginCurrentText;
  uint32_t itemBack, itemHoverBack, itemBorder, itemText, itemHoverText, itemDisabledText;
  uint32_t borderLine, accent;
  uint32_t buttonFace, buttonPressedFace, buttonBorder, buttonText;
  uint32_t inputBack, dialogBack;
  uint32_t caret, selectionBack, selectionText;
  bool isDark;
  SyntaxColors syntax;
};

extern const ColorPalette kThemePalettes[kThemeCount];


// Names shown for the themes, by ThemeId.
extern const char16_t* const kThemeNames[kThemeCount];

// A stored index of 6 or more counts as theme 0.
inline uint32_t NormalizeThemeId(uint32_t themeId) { return themeId < kThemeCount ? themeId : 0; }
inline const ColorPalette& PaletteForTheme(uint32_t themeId) { return kThemePalettes[NormalizeThemeId(themeId)]; }

// The menus' own colours, by ThemeId.
struct MenuColors {
  uint32_t highlightBack, itemBack, itemText, highlightText, disabledText, separator;
};
extern const MenuColors kMenuColors[kThemeCount];
inline const MenuColors& MenuColorsForTheme(uint32_t themeId) { return kMenuColors[NormalizeThemeId(themeId)]; }
