// The Settings dialog (template 300): theme, transparency, font, line numbers, word wrap and
// auto-save. Nothing takes effect until OK, which applies every value at once and saves the
// settings; Cancel leaves everything as it was (a font chosen meanwhile stays: the Font
// dialog applies it itself).
#pragma once
#include "common/win.h"

// Runs the dialog over the main window; true when it was confirmed (the caller then re-arms
// the auto-save timer).
bool ShowSettingsDialog(HWND mainWindow);
// "Font: <face>, <size> pt[ Bold][ Italic]" into the font label.
void UpdateFontLabel(HWND dialog);
