#include "common/win.h"  // before the other system headers

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/editor_win.h"
#include "app/messagebox_win.h"
#include "app/shell_logic.h"
#include "app/shell_win.h"
#include "app/statusbar_win.h"
#include "app/viewer_win.h"
#include "common/handles_win.h"
#include "common/messages.h"
#include "common/visual_win.h"
#include "document/document_win.h"
#include "settings/settings_win.h"
#include "settings/theme.h"
#include "settings/theme_win.h"

AppShell g_shell;

void UpdateTitle() {
  if (!g_shell.mainWindow) return;
  SetWindowTextW(g_shell.mainWindow, W(BuildTitle(g_doc.path, g_doc.modified)));
}

namespace {

bool CreateChildren(HWND hwnd) {
  g_shell.mainWindow = hwnd;
  const bool viewer = g_shell.viewerMode;
  g_shell.editor = CreateWindowExW(0, L"Scintilla", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0,
                                   viewer ? 0 : kToolbarHeight, 800, 600, hwnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EDITOR)), g_shell.instance, nullptr);
  if (!g_shell.editor) {
    ShowMessageBox(hwnd, Ok, u"Norvo \u2014 Fatal Error",
                   u"CRITICAL: Cannot create Scintilla control.\nMake sure Scintilla.dll is next to Norvo.exe.");
    return false;
  }
  BindEditor(g_shell.editor);

  if (!viewer) {
    g_shell.statusBar =
        CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)), g_shell.instance, nullptr);
    ClearVisualStyle(g_shell.statusBar);
    SubclassStatusBar(g_shell.statusBar);
  }

  ApplyEditorLook();
  if (viewer) Sci(SCI_SETREADONLY, 1);
  Sci(SCI_SETMARGINWIDTHN, 0, 0);
  g_shell.marginVisible = !viewer && g_live.showLineNumbers;
  g_shell.marginWidth = 0;

  if (viewer) {
    ApplyViewerLook(hwnd);
  } else {
    ApplyEditorTheme();
    SetTitleBarDark(hwnd, GetColorPalette().isDark);
  }
  SubclassEditor(g_shell.editor);
  if (viewer) return true;
  SetWindowTextW(hwnd, L"Norvo - Untitled");
  return true;
}

void Layout(int width, int height) {
  if (!g_shell.editor) return;
  if (g_shell.viewerMode) {
    MoveWindow(g_shell.editor, 0, 0, width, height, TRUE);
    return;
  }
  if (g_shell.toolbar) MoveWindow(g_shell.toolbar, 0, 0, width, kToolbarHeight, TRUE);
  int statusHeight = 0;
  if (g_shell.statusBar) {
    SendMessageW(g_shell.statusBar, WM_SIZE, 0, 0);
    SetStatusBarParts(width);
    RECT sr;
    GetWindowRect(g_shell.statusBar, &sr);
    statusHeight = sr.bottom - sr.top;
  }
  int editHeight = std::max(0, height - kToolbarHeight - statusHeight);
  int marginWidth = g_shell.marginVisible ? g_shell.marginWidth : 0;
  if (g_shell.marginWindow) {
    SetWindowPos(g_shell.marginWindow, nullptr, 0, kToolbarHeight, marginWidth, editHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(g_shell.editor, nullptr, marginWidth, kToolbarHeight, std::max(0, width - marginWidth), editHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  Sci(SCI_SETHSCROLLBAR, g_live.wordWrap ? 0 : 1);
  UpdateStatusBar();
  if (g_shell.marginVisible && g_shell.marginWindow) InvalidateRect(g_shell.marginWindow, nullptr, FALSE);
}

// The document of a posted WMU_LOAD_FILE; the message's string is freed here on every path.
void LoadPostedFile(HWND hwnd, LPARAM lParam) {
  std::unique_ptr<wchar_t[]> posted(reinterpret_cast<wchar_t*>(lParam));
  if (!posted) return;
  std::u16string path = U16(posted.get());
  if (!FileLoad(hwnd, path)) return;
  g_doc.path = path;
  g_doc.modified = false;
  if (!g_shell.viewerMode) {
    UpdateTitle();
    UpdateStatusBar();
    return;
  }
  // The viewer names the file it was given on its command line.
  std::u16string shown = path;
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    if (argc >= 3) shown = U16(argv[2]);
    LocalFree(argv);
  }
  SetWindowTextW(hwnd, W(u"Norvo Viewer - " + GetDisplayName(shown)));
}

void OnEditorNotify(const SCNotification& n) {
  if (g_shell.viewerMode) return;
  switch (n.nmhdr.code) {
    case SCN_UPDATEUI:
      UpdateStatusBar();
      if (g_shell.marginVisible && g_shell.marginWindow) InvalidateRect(g_shell.marginWindow, nullptr, FALSE);
      break;
    case SCN_MODIFIED:
      if (n.modificationType & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)) {
        if (!g_doc.modified) {
          g_doc.modified = true;
          UpdateTitle();
        }
        UpdateStatusBar();
      }
      break;
  }
}

void StoreSettingsAtExit(HWND hwnd) {
  CopyLiveToSettings();
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (GetWindowPlacement(hwnd, &wp)) {
    g_settings.windowMaximized = wp.showCmd == SW_SHOWMAXIMIZED ? 1 : 0;
    g_settings.windowX = wp.rcNormalPosition.left;
    g_settings.windowY = wp.rcNormalPosition.top;
    g_settings.windowWidth = wp.rcNormalPosition.right - wp.rcNormalPosition.left;
    g_settings.windowHeight = wp.rcNormalPosition.bottom - wp.rcNormalPosition.top;
  }
  g_settings.lastFile.Set(g_doc.path);
  SaveSettings(g_settings);
}

void OnCommand(HWND hwnd, int id) {
  switch (id) {
    case CMD_EXIT: SendMessageW(hwnd, WM_CLOSE, 0, 0); break;
    case CMD_UNDO: Sci(SCI_UNDO); break;
    case CMD_REDO: Sci(SCI_REDO); break;
    case CMD_CUT: Sci(SCI_CUT); break;
    case CMD_COPY: Sci(SCI_COPY); break;
    case CMD_PASTE: Sci(SCI_PASTE); break;
    case CMD_SELECT_ALL: Sci(SCI_SELECTALL); break;
    default: break;
  }
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return CreateChildren(hwnd) ? 0 : -1;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Layout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_SETFOCUS:
      if (g_shell.editor) SetFocus(g_shell.editor);
      return 0;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      Brush back(CreateSolidBrush(PaletteForTheme(g_live.themeId).windowBack));
      FillRect(reinterpret_cast<HDC>(wParam), &rc, back.get());
      return 1;
    }
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = kMinTrackWidth;
      info->ptMinTrackSize.y = kMinTrackHeight;
      return 0;
    }
    case WM_NCACTIVATE:
      SetTitleBarDarkAttribute(hwnd, !g_shell.viewerMode && PaletteForTheme(g_live.themeId).isDark);
      return DefWindowProcW(hwnd, msg, TRUE, lParam);
    case WM_INITMENUPOPUP:
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->hwndFrom == g_shell.editor) OnEditorNotify(*reinterpret_cast<const SCNotification*>(lParam));
      return 0;
    }
    case WM_COMMAND:
      OnCommand(hwnd, LOWORD(wParam));
      return 0;
    case WMU_LOAD_FILE:
      LoadPostedFile(hwnd, lParam);
      return 0;
    case WM_CLOSE:
      g_doc.fileHandle.reset();
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      if (g_shell.viewerJob) {
        CloseHandle(g_shell.viewerJob);
        g_shell.viewerJob = nullptr;
      }
      if (!g_shell.viewerMode) StoreSettingsAtExit(hwnd);
      if (g_shell.findDialog) DestroyWindow(g_shell.findDialog);
      BindEditor(nullptr);
      g_shell.mainWindow = nullptr;
      g_shell.editor = nullptr;
      g_shell.statusBar = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
