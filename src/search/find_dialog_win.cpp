// The modeless Find and Replace dialog (resource 500).
#include "common/win.h"  // before the other system headers

#include <commctrl.h>

#include "common/handles_win.h"
#include "common/messages.h"
#include "common/visual_win.h"
#include "search/find_win.h"
#include "search/regex_log_win.h"
#include "search/search_dialog_win.h"
#include "settings/settings_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/editor_win.h"
#include "ui/menu_win.h"
#include "ui/shell_win.h"
#include "ui/theme_win.h"

namespace {
constexpr int kFindDialogResource = 500;

struct Option {
  int control;
  uint8_t AppSettings::*field;
};
const Option kOptions[] = {
    {IDC_MATCH_CASE, &AppSettings::findMatchCase},       {IDC_WHOLE_WORD, &AppSettings::findWholeWord},
    {IDC_WRAP_AROUND, &AppSettings::findWrapAround},     {IDC_PRESERVE_CASE, &AppSettings::findPreserveCase},
    {IDC_IN_SELECTION, &AppSettings::findInSelection},   {IDC_COLOR_RESULTS, &AppSettings::findColorResults},
};

void FillHistory(HWND combo, const FixedString<256> (&history)[kHistoryCount]) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const auto& slot : history) {
    std::u16string entry = slot.Get();
    if (!entry.empty()) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(entry)));
  }
}

void ApplyStyles(HWND dialog) {
  bool dark = GetColorPalette().isDark;
  SetExplorerStyle(dialog, dark);
  SetExplorerStyle(GetDlgItem(dialog, IDC_FIND_WHAT), dark);
  SetExplorerStyle(GetDlgItem(dialog, IDC_REPLACE_WITH), dark);
}

void Initialise(HWND dialog) {
  SetTitleBarDarkAttribute(dialog, GetColorPalette().isDark);
  ThemeDialog(dialog);  // group and check boxes unstyled, push buttons owner-drawn
  ApplyStyles(dialog);
  FillHistory(GetDlgItem(dialog, IDC_FIND_WHAT), g_settings.findHistory);
  FillHistory(GetDlgItem(dialog, IDC_REPLACE_WITH), g_settings.replaceHistory);
  AttachEditContextMenu(GetDlgItem(dialog, IDC_FIND_WHAT), dialog);
  AttachEditContextMenu(GetDlgItem(dialog, IDC_REPLACE_WITH), dialog);
  for (const Option& o : kOptions) CheckDlgButton(dialog, o.control, g_settings.*o.field ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(dialog, IDC_FIND_STATUS, L"");
  g_statusKind = 0;
  CentreOverOwner(dialog);
  SendMessageW(dialog, DM_SETDEFID, IDC_FIND_NEXT, 0);
  SetFocus(GetDlgItem(dialog, IDC_FIND_WHAT));
}

void Close(HWND dialog) {
  for (const Option& o : kOptions) g_settings.*o.field = IsDlgButtonChecked(dialog, o.control) == BST_CHECKED ? 1 : 0;
  SaveSettings(g_settings);
  ClearIndicator(8);
  ClearIndicator(10);
  InvalidateSearchCache();
  DestroyWindow(dialog);
}

INT_PTR CALLBACK FindDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_FIND_NEXT: FindNextMatch(dialog, true); return TRUE;
        case IDC_FIND_PREV: FindNextMatch(dialog, false); return TRUE;
        case IDC_REPLACE: ReplaceCurrentMatch(dialog); return TRUE;
        case IDC_REPLACE_ALL: ReplaceAllMatches(dialog); return TRUE;
        case IDC_HIGHLIGHT_ALL: HighlightAllMatches(dialog); return TRUE;
        case IDC_FIND_CLOSE:
        case IDCANCEL: Close(dialog); return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      Close(dialog);
      return TRUE;
    case WM_ACTIVATE:
      SetTitleBarDarkAttribute(dialog, GetColorPalette().isDark);
      SendFrameChange(dialog);
      return FALSE;
    case WMU_APPLY_THEME:
      SetTitleBarDark(dialog, GetColorPalette().isDark);
      ThemeDialog(dialog);
      ApplyStyles(dialog);
      InvalidateRect(dialog, nullptr, TRUE);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_FIND_STATUS)) {
        INT_PTR brush = 0;
        HandleDialogColours(dialog, msg, wParam, lParam, &brush);
        static const COLORREF kKinds[] = {0, 0x00B4FF, 0x50A028};
        SetTextColor(reinterpret_cast<HDC>(wParam),
                     g_statusKind == 1 || g_statusKind == 2 ? kKinds[g_statusKind] : GetColorPalette().dialogText);
        return brush;
      }
      break;
    case WM_DESTROY:
      g_shell.findDialog = nullptr;
      if (g_shell.editor && IsWindow(g_shell.editor)) SetFocus(g_shell.editor);
      return FALSE;
  }
  INT_PTR result = 0;
  if (HandleSearchDialogMessage(dialog, msg, wParam, lParam, &result)) return result;
  return FALSE;
}
}  // namespace

void ShowFindDialog(HWND mainWindow) {
  if (!g_shell.findPurgeDone) {
    g_shell.findPurgeDone = true;
    PurgeOldScratchFiles();
  }
  if (g_shell.findDialog) {
    SetForegroundWindow(g_shell.findDialog);
    SetFocus(GetDlgItem(g_shell.findDialog, IDC_FIND_WHAT));
    return;
  }
  HWND dialog = CreateDialogParamW(g_shell.instance, MAKEINTRESOURCEW(kFindDialogResource), mainWindow,
                                   FindDialogProc, 0);
  if (!dialog) return;
  g_shell.findDialog = dialog;
  ShowWindow(dialog, SW_SHOW);
}
