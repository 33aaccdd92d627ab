#include "ui/theme_win.h"

#include "common/messages.h"
#include "common/visual_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/lexer_win.h"
#include "ui/shell_win.h"
#include "ui/ui_logic.h"


void ApplyEditorTheme() {
  const ColorPalette& p = GetColorPalette();
  SetTitleBarDarkAttribute(g_shell.mainWindow, p.isDark);
  SetDefaultStyleFontAndColours();
  Sci(SCI_SETFOLDMARGINCOLOUR, 1, Colour(p.editorBack));
  Sci(SCI_SETFOLDMARGINHICOLOUR, 1, Colour(p.editorBack));
  Sci(SCI_SETCARETFORE, Colour(p.caret));
  Sci(SCI_SETSELBACK, 1, Colour(p.selectionBack));
  Sci(SCI_SETSELFORE, 1, Colour(p.selectionText));
  ApplyBaseStyles();
  Sci(SCI_STYLESETBOLD, STYLE_DEFAULT, g_settings.fontBold ? 1 : 0);
  Sci(SCI_STYLESETITALIC, STYLE_DEFAULT, g_settings.fontItalic ? 1 : 0);
  for (int margin = 0; margin <= 4; ++margin) Sci(SCI_SETMARGINWIDTHN, margin, 0);
  if (g_shell.marginWindow && g_shell.marginVisible) InvalidateRect(g_shell.marginWindow, nullptr, FALSE);
  if (g_shell.statusBar) InvalidateRect(g_shell.statusBar, nullptr, TRUE);
  if (g_shell.toolbar) InvalidateRect(g_shell.toolbar, nullptr, FALSE);
  if (g_shell.editor) {
    SetExplorerStyle(g_shell.editor, p.isDark);
    SendFrameChange(g_shell.editor);
  }
}

void ApplyTheme(uint32_t themeId) {
  if (themeId >= kThemeCount) return;
  g_live.themeId = themeId;
  g_settings.themeId = themeId;
  ApplyEditorTheme();
  ReapplyLexerStyles();
  SetTitleBarDark(g_shell.mainWindow, GetColorPalette().isDark);
  if (g_shell.marginWindow && g_shell.marginVisible) InvalidateRect(g_shell.marginWindow, nullptr, FALSE);
  SaveSettings(g_settings);
  if (HWND settings = g_shell.settingsDialog) {
    SendDlgItemMessageW(settings, kSettingsThemeList, CB_SETCURSEL, themeId, 0);
    InvalidateRect(GetDlgItem(settings, kSettingsThemeList), nullptr, TRUE);
  }
  for (HWND dialog : {g_shell.findDialog, g_shell.helpWindow, g_shell.regexDialog, g_shell.previewWindow}) {
    if (dialog) PostMessageW(dialog, WMU_APPLY_THEME, themeId, 0);
  }
}

void ApplyTransparency(HWND window, int percent) {
  if (!window) return;
  percent = UsableTransparency(percent);
  LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (percent > 0) {
    SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(TransparencyAlpha(percent)), LWA_ALPHA);
  } else {
    SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
  }
}
