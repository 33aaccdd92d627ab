// The process-wide settings record, its file in the per-user folder, and the live copies
// of the settings the running window changes (theme, wrap, line numbers, font).
#pragma once
#include <string>

#include "settings/settings.h"
#include "settings/theme.h"

extern AppSettings g_settings;

struct LiveSettings {
  uint32_t themeId = 0;
  bool wordWrap = true;
  bool showLineNumbers = true;
  int fontSize = 11;
  std::u16string fontName = u"Consolas";
};
extern LiveSettings g_live;

// The palette of the live theme.
const ColorPalette& GetColorPalette();
// The live font face as UTF-8, at most 63 bytes, cut on a character boundary.
std::string EditorFontUtf8();

void CopyLiveFromSettings();
void CopyLiveToSettings();

// %APPDATA%\Norvo (created when missing), or empty when the folder cannot be found.
std::u16string GetConfigFolder();
// <folder>\norvo.cfg, or "norvo.cfg" without a folder.
std::u16string GetConfigFilePath();
// A time-stamped temporary PDF name in the folder; empty without a folder.
std::u16string MakeTempPdfPath();

// True when the stored record was accepted; otherwise the defaults are in place.
bool LoadSettings(AppSettings& settings);
// Writes a temporary file beside norvo.cfg and moves it over the old file, so an
// interrupted save never leaves a damaged file. True when the new file is in place.
bool SaveSettings(const AppSettings& settings);
// Told of every save that failed (the main window tells the user once).
void SetSettingsSaveFailedHandler(void (*handler)());
