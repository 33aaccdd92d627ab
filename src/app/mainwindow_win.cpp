#include "common/win.h"  // before the other system headers

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/context_menu_win.h"
#include "app/export_route_win.h"
#include "app/mainwindow_win.h"
#include "app/shell_logic.h"
#include "app/statusbar_win.h"
#include "app/toolbar_win.h"
#include "common/handles_win.h"
#include "common/messages.h"
#include "common/trace_win.h"
#include "common/visual_win.h"
#include "document/autosave_win.h"
#include "document/disk_check_win.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "document/recent_win.h"
#include "document/recovery_win.h"
#include "export/export_win.h"
#include "help/help_win.h"
#include "markdown/markdown_win.h"
#include "print/preview_win.h"
#include "print/print_win.h"
#include "search/find_win.h"
#include "search/regex_win.h"
#include "settings/association_win.h"
#include "settings/font_dialog_win.h"
#include "settings/settings_dialog_win.h"
#include "settings/settings_win.h"
#include "settings/theme.h"
#include "ui/editor_win.h"
#include "ui/lexer_win.h"
#include "ui/margin_win.h"
#include "ui/menu_win.h"
#include "ui/messagebox_win.h"
#include "ui/theme_win.h"
#include "ui/viewer_win.h"

AppHooks g_appHooks;

namespace {
bool g_checkingDisk = false;
bool g_toldSettingsNotSaved = false;

void PostSettingsNotSaved() {
  if (g_shell.mainWindow) PostMessageW(g_shell.mainWindow, WMU_SETTINGS_NOT_SAVED, 0, 0);
}

// Once a session: the settings cannot be written, so what the user changes lasts until exit.
void TellSettingsNotSaved(HWND hwnd) {
  if (g_toldSettingsNotSaved) return;
  g_toldSettingsNotSaved = true;
  ShowMessageBox(hwnd, Ok, u"Norvo",
                 u"Norvo could not save its settings to:\n\n" + GetConfigFilePath() +
                     u"\n\nChanges to the settings last only until Norvo closes.");
}
// Marks a main window whose creation succeeded: only such a window ends the run.
const wchar_t kCreatedProperty[] = L"Norvo.Created";

// Activation that comes from another program (or from nowhere), not from one of our own
// windows closing: the question of the disk check would otherwise re-activate the window
// and ask again without end.
bool ActivatedFromOutside(HWND other) {
  if (!other) return true;
  DWORD pid = 0;
  GetWindowThreadProcessId(other, &pid);
  return pid != GetCurrentProcessId();
}
}  // namespace

void UpdateTitle() {
  if (!g_shell.mainWindow) return;
  if (g_shell.viewerMode) {
    // A viewer names the file it shows and keeps "Norvo - Viewer" until it has one.
    if (!g_doc.path.empty()) SetWindowTextW(g_shell.mainWindow, W(u"Norvo Viewer - " + GetDisplayName(g_doc.path)));
    return;
  }
  SetWindowTextW(g_shell.mainWindow, W(BuildTitle(g_doc.path, g_doc.modified)));
}

namespace {

// What depends on the document, refreshed when it changes.
void OnDocumentEvent(DocumentEvent event, const std::u16string& path) {
  switch (event) {
    case DocumentEvent::Loaded:
      InvalidateSearchCache();  // the load sends no change notices: the cached matches were the old text's
      Trace("Norvo: Updating margin width\n");
      RefreshLineNumberMargin();
      if (g_shell.viewerMode) {
        Trace("Norvo: Viewer mode - applying viewer theme\n");
        Sci(SCI_SETREADONLY, 1);
        ApplyViewerLook(g_shell.mainWindow);
      } else {
        Trace("Norvo: Normal mode - applying syntax highlighting\n");
        SetupLexer(path);
        UpdateToolbar();
        ClearSearchIndicators();
      }
      break;
    case DocumentEvent::Created:
      InvalidateSearchCache();
      SetupLexer(u"");
      RefreshLineNumberMargin();
      ClearSearchIndicators();
      break;
    case DocumentEvent::Saved:
      if (!g_shell.viewerMode) SetupLexer(path);  // Save As may have changed the extension
      break;
    case DocumentEvent::StateChanged:
      UpdateTitle();
      UpdateStatusBar();
      UpdateToolbar();
      break;
  }
}

bool CreateChildren(HWND hwnd) {
  SetDocumentHook(OnDocumentEvent);
  g_shell.mainWindow = hwnd;
  const bool viewer = g_shell.viewerMode;
  if (!viewer) {
    if (!g_shell.toolbarClassRegistered) {
      WNDCLASSEXW cls{};
      cls.cbSize = sizeof cls;
      cls.lpfnWndProc = ToolbarWndProc;
      cls.hInstance = g_shell.instance;
      cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      cls.lpszClassName = L"NorvoToolbar";
      g_shell.toolbarClassRegistered = RegisterClassExW(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    g_shell.toolbar = CreateWindowExW(0, L"NorvoToolbar", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 800,
                                      kToolbarHeight, hwnd, nullptr, g_shell.instance, nullptr);
  }
  g_shell.editor = CreateWindowExW(
      0, g_appHooks.editorClassName, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, viewer ? 0 : kToolbarHeight, 800, 600, hwnd,
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
  if (!viewer) {
    g_shell.marginWidth = g_shell.marginVisible ? LineNumberMarginWidth() : 0;
    g_shell.marginWindow = CreateWindowExW(0, L"NorvoMargin", L"", WS_CHILD | (g_shell.marginVisible ? WS_VISIBLE : 0),
                                           0, 0, g_shell.marginWidth, 100, hwnd, nullptr, g_shell.instance, nullptr);
    if (g_shell.marginWindow) {
      g_shell.marginWidth = g_shell.marginVisible ? LineNumberMarginWidth() : 0;
      ShowWindow(g_shell.marginWindow, g_shell.marginVisible ? SW_SHOWNA : SW_HIDE);
    }
  }

  if (viewer) {
    ApplyViewerLook(hwnd);
  } else {
    ApplyEditorTheme();
    OnSystemColorsChanged(hwnd);
  }
  SubclassEditor(g_shell.editor);
  if (viewer) return true;
  UpdateToolbar();
  DragAcceptFiles(hwnd, TRUE);
  SetWindowTextW(hwnd, L"Norvo - Untitled");
  // A stored auto-save interval is in force from the start.
  ArmAutoSave(hwnd);
  StartRecovery(hwnd);
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
  if (!g_shell.viewerMode) {
    OpenDocumentPath(hwnd, path);
    return;
  }
  if (!FileLoad(hwnd, path)) return;
  g_doc.path = path;
  g_doc.modified = false;
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
  if (n.nmhdr.code == SCN_MODIFIED && (n.modificationType & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)))
    NoteDocumentChange();
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
        UpdateToolbar();
        RefreshLineNumberMargin();
        InvalidateSearchCache();
        if (g_shell.findDialog) ClearIndicator(10);
      }
      break;
    case SCN_ZOOM:
      RefreshLineNumberMargin();
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

void ToggleLineNumbers(HWND hwnd) {
  ShowLineNumberMargin(!g_live.showLineNumbers);
  RECT rc;
  GetClientRect(hwnd, &rc);
  PostMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
}

void ToggleWordWrap() {
  g_live.wordWrap = !g_live.wordWrap;
  Sci(SCI_SETWRAPMODE, g_live.wordWrap ? SC_WRAP_WORD : SC_WRAP_NONE);
  Sci(SCI_SETHSCROLLBAR, g_live.wordWrap ? 0 : 1);
  if (g_shell.marginVisible && g_shell.marginWindow) InvalidateRect(g_shell.marginWindow, nullptr, FALSE);
}

void SetTransparency(HWND hwnd, int percent) {
  g_settings.transparency = percent;
  ApplyTransparency(hwnd, percent);
  SaveSettings(g_settings);
}

// The first dropped file replaces the document, after the usual question.
void OnDropFiles(HWND hwnd, HDROP drop) {
  wchar_t path[MAX_PATH] = {};
  bool have = DragQueryFileW(drop, 0, path, MAX_PATH) > 0;
  DragFinish(drop);
  if (!have || g_shell.viewerMode || !AskFirst(hwnd)) return;
  OpenDocumentPath(hwnd, U16(path));
}

// Commands that would write the viewed file or replace it with a writable document.
bool WritesTheDocument(int id) {
  return id == CMD_NEW || id == CMD_SAVE || id == CMD_SAVE_AS;
}

// False for ids the main window does not handle, which go on to the default procedure.
bool OnCommand(HWND hwnd, int id) {
  if (g_shell.viewerMode && WritesTheDocument(id)) return true;  // the viewer never writes
  if (id >= CMD_THEME_FIRST && id <= CMD_THEME_LAST) {
    ApplyTheme(static_cast<uint32_t>(id - CMD_THEME_FIRST));
    return true;
  }
  if (id >= CMD_TRANSPARENCY_FIRST && id <= CMD_TRANSPARENCY_LAST) {
    SetTransparency(hwnd, (id - CMD_TRANSPARENCY_FIRST) * 10);
    return true;
  }
  if (id >= CMD_RECENT_OPEN_FIRST && id < CMD_RECENT_OPEN_FIRST + kRecentFileCount) {
    OpenRecentFile(hwnd, static_cast<size_t>(id - CMD_RECENT_OPEN_FIRST));
    return true;
  }
  if (id >= CMD_RECENT_REMOVE_FIRST && id < CMD_RECENT_REMOVE_FIRST + kRecentFileCount) {
    RemoveRecentFile(static_cast<size_t>(id - CMD_RECENT_REMOVE_FIRST));
    return true;
  }
  switch (id) {
    case CMD_NEW:
      if (AskFirst(hwnd)) NewDocument();
      break;
    case CMD_OPEN:
      if (AskFirst(hwnd)) ShowOpenDialog(hwnd);
      break;
    case CMD_SAVE:
      SaveDocument(hwnd);
      UpdateToolbar();
      break;
    case CMD_SAVE_AS:
      SaveDocumentAs(hwnd);
      UpdateToolbar();
      break;
    case CMD_EXIT:
      SendMessageW(hwnd, WM_CLOSE, 0, 0);
      break;
    case CMD_UNDO:
      Sci(SCI_UNDO);
      break;
    case CMD_REDO:
      Sci(SCI_REDO);
      break;
    case CMD_CUT:
      Sci(SCI_CUT);
      break;
    case CMD_COPY:
      Sci(SCI_COPY);
      break;
    case CMD_PASTE:
      Sci(SCI_PASTE);
      break;
    case CMD_SELECT_ALL:
      Sci(SCI_SELECTALL);
      break;
    case CMD_TOGGLE_LINE_NUMBERS:
      ToggleLineNumbers(hwnd);
      break;
    case CMD_TOGGLE_WORD_WRAP:
      ToggleWordWrap();
      break;
    case CMD_RECENT_CLEAR:
      ClearRecentFiles(hwnd);
      break;
    case CMD_FIND_REPLACE:
      ShowFindDialog(hwnd);
      break;
    case CMD_REGEX_SEARCH:
      ShowRegexDialog(hwnd);
      break;
    case CMD_SETTINGS:
      if (ShowSettingsDialog(hwnd)) ArmAutoSave(hwnd);
      break;
    case CMD_FONT:
      ShowFontDialog(hwnd);
      break;
    case CMD_EXPORT:
      ShowExportDialog(hwnd);
      break;
    case CMD_MARKDOWN_PREVIEW:
      ShowMarkdownPreview(hwnd);
      break;
    case CMD_HELP:
      ShowHelp(hwnd);
      break;
    case CMD_PRINT_PREVIEW:
      ShowPrintPreview(hwnd);
      break;
    case CMD_PRINT:
      PrintDocument(hwnd);
      break;
    case CMD_PAGE_SETUP:
      ShowPageSetup(hwnd);
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      if (!CreateChildren(hwnd)) return -1;
      SetPropW(hwnd, kCreatedProperty, reinterpret_cast<HANDLE>(1));
      SetSettingsSaveFailedHandler(PostSettingsNotSaved);
      return 0;
    case WMU_SETTINGS_NOT_SAVED:
      TellSettingsNotSaved(hwnd);
      return 0;
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
    case WM_CONTEXTMENU:
      if (!g_shell.viewerMode)
        ShowContextMenu(hwnd, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return 0;
    case WM_MEASUREITEM:
      if (MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->hwndFrom == g_shell.editor)
        OnEditorNotify(*reinterpret_cast<const SCNotification*>(lParam));
      return 0;
    }
    case WM_COMMAND:
      if (OnCommand(hwnd, LOWORD(wParam))) return 0;
      break;
    case WMU_LOAD_FILE:
      LoadPostedFile(hwnd, lParam);
      return 0;
    case WM_CLOSE:
      if (!g_shell.viewerMode && !AskFirst(hwnd)) return 0;
      // The Regex dialog goes the way of its Close button: its worker stopped, its histories kept.
      CloseRegexDialog();
      g_doc.fileHandle.reset();
      DestroyWindow(hwnd);
      return 0;
    case WM_ACTIVATE:
      if (!g_shell.viewerMode && LOWORD(wParam) != WA_INACTIVE &&
          ActivatedFromOutside(reinterpret_cast<HWND>(lParam))) {
        // Asked after the activation has finished, so the question does not re-enter it.
        PostMessageW(hwnd, WMU_CHECK_DISK, 0, 0);
      }
      break;
    case WMU_CHECK_DISK:
      if (!g_checkingDisk) {
        g_checkingDisk = true;
        CheckDiskOnActivate(hwnd);
        g_checkingDisk = false;
      }
      return 0;
    case WM_TIMER:
      if (wParam == AUTOSAVE_TIMER_ID) OnAutoSaveTick(hwnd);
      if (wParam == RECOVERY_TIMER_ID) OnRecoveryTick(hwnd);
      return 0;
    case WMU_RECOVERY_DONE:
      OnRecoveryCopyDone(wParam, lParam);
      return 0;
    case WM_ENDSESSION:
      if (wParam) KeepRecoveryCopyNow();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(hwnd, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_SETTINGCHANGE:
      if (lParam) {
        std::u16string section = U16(reinterpret_cast<const wchar_t*>(lParam));
        if (section == u"ImmersiveColorSet" || section == u"Policy") PostMessageW(hwnd, WMU_SYSTEM_THEME_CHANGED, 0, 0);
      }
      break;
    case WMU_SYSTEM_THEME_CHANGED:
      if (!g_shell.viewerMode) OnSystemColorsChanged(hwnd);
      return 0;
    case WMU_PDF_PROGRESS: {
      // Passed on to the progress window, which is the active window while a PDF is made.
      HWND active = GetActiveWindow();
      if (active && active != hwnd) PostMessageW(active, msg, wParam, lParam);
      return 0;
    }
    case WMU_EXPORT_DONE:
      OnExportDone(hwnd, wParam, lParam);
      return 0;
    case WMU_PDF_DONE:
      OnPdfDone(hwnd, wParam, lParam);
      return 0;
    case WMU_APPLY_THEME:
      ApplyTheme(static_cast<uint32_t>(wParam));
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      return 0;
    case WM_DESTROY: {
      // A window whose creation failed stores no settings (they would lose the last file and
      // the placement) and posts no quit, which would end the fatal message before it is read.
      const bool created = RemovePropW(hwnd, kCreatedProperty) != nullptr;
      DiscardPendingExportNotices(hwnd);
      EndRecovery();  // after the close question: the changes were saved or let go
      g_shell.viewerJob.reset();
      if (created && !g_shell.viewerMode) StoreSettingsAtExit(hwnd);
      if (g_shell.findDialog) DestroyWindow(g_shell.findDialog);
      BindEditor(nullptr);
      g_shell.mainWindow = nullptr;
      g_shell.editor = nullptr;
      g_shell.statusBar = nullptr;
      g_shell.toolbar = nullptr;
      g_shell.marginWindow = nullptr;
      if (created) PostQuitMessage(0);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
