#include "settings/settings_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>

#include "common/utf.h"
#include "common/visual_win.h"
#include "settings/font_dialog_win.h"
#include "settings/preferences.h"
#include "settings/settings_hooks_win.h"
#include "settings/settings_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/editor_win.h"
#include "ui/margin_win.h"
#include "ui/menu_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"
#include "ui/theme_win.h"

namespace {
enum SettingsControl : int {
  IDC_THEME = kSettingsThemeList,
  IDC_TRANSPARENCY = 303,
  IDC_SELECT_FONT = 311,
  IDC_FONT_LABEL = 312,
  IDC_LINE_NUMBERS = 313,
  IDC_WORD_WRAP = 314,
  IDC_AUTOSAVE = 321,
  IDC_INTERVAL = 322,
};
constexpr int kSettingsTemplate = 300;

bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

std::u16string FieldText(HWND dialog, int id) {
  wchar_t text[32] = {};
  GetDlgItemTextW(dialog, id, text, 32);
  return U16(text);
}

void Initialise(HWND dialog) {
  g_shell.settingsDialog = dialog;
  ThemeDialog(dialog);
  const ColorPalette& p = GetColorPalette();
  SetExplorerStyle(GetDlgItem(dialog, IDC_THEME), p.isDark);
  SetExplorerStyle(GetDlgItem(dialog, IDC_INTERVAL), p.isDark);
  for (uint32_t t = 0; t < kThemeCount; ++t) {
    LRESULT at = SendDlgItemMessageW(dialog, IDC_THEME, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(kThemeNames[t])));
    SendDlgItemMessageW(dialog, IDC_THEME, CB_SETITEMDATA, static_cast<WPARAM>(at), t);
  }
  SendDlgItemMessageW(dialog, IDC_THEME, CB_SETCURSEL, NormalizeThemeId(g_settings.themeId), 0);
  SetDlgItemInt(dialog, IDC_TRANSPARENCY, static_cast<UINT>(UsableTransparency(g_settings.transparency)),
                FALSE);
  CheckDlgButton(dialog, IDC_AUTOSAVE, g_settings.autoSaveMinutes > 0 ? BST_CHECKED : BST_UNCHECKED);
  for (int minutes : kAutoSaveIntervals) {
    std::u16string label = DecimalText(static_cast<unsigned>(minutes)) + u" min";
    LRESULT at = SendDlgItemMessageW(dialog, IDC_INTERVAL, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(label)));
    SendDlgItemMessageW(dialog, IDC_INTERVAL, CB_SETITEMDATA, static_cast<WPARAM>(at), minutes);
  }
  SendDlgItemMessageW(dialog, IDC_INTERVAL, CB_SETCURSEL, AutoSaveIntervalIndex(g_settings.autoSaveMinutes), 0);
  EnableWindow(GetDlgItem(dialog, IDC_INTERVAL), g_settings.autoSaveMinutes > 0);
  CheckDlgButton(dialog, IDC_LINE_NUMBERS, g_settings.showLineNumbers ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_WORD_WRAP, g_settings.wordWrap ? BST_CHECKED : BST_UNCHECKED);
  UpdateFontLabel(dialog);
  CentreOverOwner(dialog);
  SuppressContextMenu(GetDlgItem(dialog, IDC_TRANSPARENCY));
  if (g_settingsHooks.dialogShown) g_settingsHooks.dialogShown(dialog);
}

// The editor's view settings, its margin and the window's transparency from the new values.
void ApplyView(HWND main) {
  HWND editor = g_shell.editor;
  if (editor) SendMessageW(editor, WM_SETREDRAW, FALSE, 0);
  Sci(SCI_SETWRAPMODE, g_live.wordWrap ? SC_WRAP_WORD : SC_WRAP_NONE);
  Sci(SCI_SETHSCROLLBAR, g_live.wordWrap ? 0 : 1);
  ShowLineNumberMargin(g_live.showLineNumbers);
  ApplyTransparency(main, g_settings.transparency);
}

void Confirm(HWND dialog) {
  std::optional<int> transparency = ParseTransparency(FieldText(dialog, IDC_TRANSPARENCY));
  if (!transparency) {
    SetDlgItemInt(dialog, IDC_TRANSPARENCY, static_cast<UINT>(UsableTransparency(g_settings.transparency)),
                  FALSE);
    ShowMessageBox(dialog, Ok, u"Norvo \u2014 Settings", u"Transparency must be a number between 0 and 50.");
    return;
  }
  g_settings.transparency = *transparency;
  LRESULT themeAt = SendDlgItemMessageW(dialog, IDC_THEME, CB_GETCURSEL, 0, 0);
  const uint32_t theme = themeAt < 0 ? g_settings.themeId
                                     : static_cast<uint32_t>(SendDlgItemMessageW(dialog, IDC_THEME, CB_GETITEMDATA, themeAt, 0));
  const int intervalAt = static_cast<int>(SendDlgItemMessageW(dialog, IDC_INTERVAL, CB_GETCURSEL, 0, 0));
  g_settings.autoSaveMinutes = AutoSaveMinutesToStore(Checked(dialog, IDC_AUTOSAVE), intervalAt);
  g_settings.showLineNumbers = Checked(dialog, IDC_LINE_NUMBERS);
  g_settings.wordWrap = Checked(dialog, IDC_WORD_WRAP);
  g_live.showLineNumbers = g_settings.showLineNumbers != 0;
  g_live.wordWrap = g_settings.wordWrap != 0;

  HWND main = g_shell.mainWindow;
  ApplyView(main);
  if (theme == g_live.themeId) {
    SetTitleBarDark(main, GetColorPalette().isDark);
  } else {
    ApplyTheme(theme);
  }
  if (g_shell.editor) SendMessageW(g_shell.editor, WM_SETREDRAW, TRUE, 0);
  if (main) {
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    RECT rc;
    GetClientRect(main, &rc);
    PostMessageW(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
  }
  SaveSettings(g_settings);
  EndDialog(dialog, 1);
}

void Cancel(HWND dialog) {
  g_live.themeId = NormalizeThemeId(g_settings.themeId);
  if (g_shell.mainWindow) SetTitleBarDark(g_shell.mainWindow, GetColorPalette().isDark);
  EndDialog(dialog, 2);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  INT_PTR coloured = 0;
  if (HandleDialogColours(dialog, msg, wParam, lParam, &coloured)) return coloured;
  switch (msg) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_DRAWITEM:
      DrawDialogButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          Confirm(dialog);
          return TRUE;
        case IDCANCEL:
          Cancel(dialog);
          return TRUE;
        case IDC_SELECT_FONT:
          ShowFontDialog(g_shell.mainWindow);
          UpdateFontLabel(dialog);
          return TRUE;
        case IDC_AUTOSAVE:
          EnableWindow(GetDlgItem(dialog, IDC_INTERVAL), Checked(dialog, IDC_AUTOSAVE));
          return TRUE;
      }
      break;
    case WM_DESTROY:
      if (g_shell.settingsDialog == dialog) g_shell.settingsDialog = nullptr;
      break;
  }
  return FALSE;
}
}  // namespace

SettingsHooks g_settingsHooks;

void UpdateFontLabel(HWND dialog) {
  std::u16string text = FontLabelText(g_live.fontName, g_live.fontSize, g_settings.fontBold != 0, g_settings.fontItalic != 0);
  SetDlgItemTextW(dialog, IDC_FONT_LABEL, W(text));
}

bool ShowSettingsDialog(HWND mainWindow) {
  if (g_shell.viewerMode) return false;
  return DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(kSettingsTemplate), mainWindow, SettingsDialogProc, 0) == 1;
}
