#include "common/win.h"  // before the other system headers

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/mainwindow_win.h"
#include "app/shell_logic.h"
#include "common/messages.h"
#include "common/trace_win.h"
#include "common/utf.h"
#include "common/visual_win.h"
#include "document/recovery_restore_win.h"
#include "search/regex_log_win.h"
#include "settings/association_win.h"
#include "settings/settings_win.h"
#include "ui/margin_win.h"
#include "ui/messagebox_win.h"
#include "ui/theme_win.h"

namespace {

std::vector<std::u16string> CommandLineArguments(bool* ok = nullptr) {
  std::vector<std::u16string> args;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (ok) *ok = argv != nullptr;
  if (!argv) return args;
  for (int i = 0; i < argc; ++i) args.push_back(U16(argv[i]));
  LocalFree(argv);
  return args;
}

void Fatal(const char16_t* text) { ShowMessageBox(nullptr, Ok, u"Norvo - Fatal Error", text); }

// A heap copy of a path for WMU_LOAD_FILE; the main window frees it.
void PostLoadFile(HWND window, const std::u16string& path) {
  auto* copy = new wchar_t[path.size() + 1];
  std::copy(W(path), W(path) + path.size() + 1, copy);
  if (!PostMessageW(window, WMU_LOAD_FILE, 0, reinterpret_cast<LPARAM>(copy))) delete[] copy;
}

void ChooseFirstDocument(HWND window) {
  Trace("Norvo: Processing command line arguments\n");
  bool split = false;
  std::vector<std::u16string> args = CommandLineArguments(&split);
  Trace("Norvo: Command line has %d arguments\n", static_cast<int>(args.size()));
  if (split && args.size() >= 2) {
    Trace("Norvo: First argument: %s\n", Utf16ToUtf8(args[1]).c_str());
    if (!g_shell.viewerMode && args.size() >= 3 && args[1] == u"--restore") {
      RestoreChosenCopy(window, args[2]);  // a text another window's recovery question restored
      return;
    }
    CommandLineDocument doc = DocumentFromCommandLine(args);
    Trace("Norvo: %s\n", doc.trace);
    // Unsaved text of an ended session is offered first; a copy of the named file, restored,
    // takes the place of its load.
    if (!g_shell.viewerMode && OfferRecoveredCopies(window, doc.path.value_or(u""))) return;
    if (doc.path) PostLoadFile(window, *doc.path);
    return;
  }
  if (!g_shell.viewerMode && OfferRecoveredCopies(window, u"")) return;
  std::u16string last = g_settings.lastFile.Get();
  if (!g_shell.viewerMode && !last.empty()) {
    Trace("Norvo: No command line file, checking last file from settings\n");
    if (GetFileAttributesW(W(last)) == INVALID_FILE_ATTRIBUTES) {
      Trace("Norvo: Last file no longer exists, clearing\n");
      g_settings.lastFile.Set(u"");
    } else {
      Trace("Norvo: Loading last file from settings\n");
      PostLoadFile(window, last);
      return;
    }
  }
  Trace("Norvo: No file to load (untitled document)\n");
}

void ApplyStartupTransparency(HWND window) {
  if (g_shell.viewerMode || UsableTransparency(g_settings.transparency) <= 0) return;
  Trace("Norvo: Applying window transparency\n");
  ApplyTransparency(window, g_settings.transparency);
}

struct WindowRect {
  int x, y, width, height;
};

WindowRect ChooseWindowRect() {
  WindowRect r{};
  if (g_shell.viewerMode) {
    Trace("Norvo: Viewer mode - getting window position from STARTUPINFO\n");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    if (si.dwFlags & STARTF_USEPOSITION) {
      r.x = static_cast<int>(si.dwX);
      r.y = static_cast<int>(si.dwY);
      Trace("Norvo: Using position from STARTUPINFO\n");
    } else {
      r.x = r.y = CW_USEDEFAULT;
      Trace("Norvo: Using default position\n");
    }
    if (si.dwFlags & STARTF_USESIZE) {
      r.width = static_cast<int>(si.dwXSize);
      r.height = static_cast<int>(si.dwYSize);
    } else {
      r.width = 660;
      r.height = 820;
    }
    Trace("Norvo: Viewer window size set\n");
  } else {
    Trace("Norvo: Normal mode - using settings for window position\n");
    r = {g_settings.windowX, g_settings.windowY, g_settings.windowWidth, g_settings.windowHeight};
    if (r.x == kDefaultWindowPosition || r.y == kDefaultWindowPosition) {
      r.x = r.y = CW_USEDEFAULT;
      Trace("Norvo: Using default position (CW_USEDEFAULT)\n");
    }
  }
  Trace("Norvo: Window size: %d x %d, pos: %d, %d\n", r.width, r.height, r.x, r.y);
  return r;
}

int Cleanup(int exitCode) {
  UnloadEditorLibraries();
  Trace("Norvo: Exiting with code %d\n", exitCode);
  if (g_shell.comInitialized) {
    CoUninitialize();
    g_shell.comInitialized = false;
    Trace("Norvo: COM uninitialized\n");
  }
  return exitCode;
}

}  // namespace

namespace {
// An editing key typed into an edit field of one of the program's dialogs.
bool KeyForDialogEditField(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  if (!IsEditFieldKey(static_cast<unsigned>(msg.wParam), GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0,
                      GetKeyState(VK_MENU) < 0))
    return false;
  HWND focus = GetFocus();
  if (!focus || GetAncestor(focus, GA_ROOT) == g_shell.mainWindow) return false;
  wchar_t cls[32] = {};
  GetClassNameW(focus, cls, 32);
  return lstrcmpiW(cls, L"Edit") == 0;
}
}  // namespace

void ProcessMessage(MSG& msg) {
  if (g_shell.accelerators && g_shell.mainWindow && !KeyForDialogEditField(msg) &&
      TranslateAcceleratorW(g_shell.mainWindow, g_shell.accelerators, &msg))
    return;
  if (g_shell.helpWindow && IsWindow(g_shell.helpWindow) && IsDialogMessageW(g_shell.helpWindow, &msg)) return;
  // Tab, Enter (Find Next) and Escape (close) in the Find and Replace dialog.
  if (g_shell.findDialog && IsWindow(g_shell.findDialog) && IsDialogMessageW(g_shell.findDialog, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

bool LoadEditorLibraries() {
  Trace("Norvo: Loading Scintilla.dll\n");
  g_shell.scintillaModule.reset(LoadLibraryW(L"Scintilla.dll"));
  if (!g_shell.scintillaModule) {
    Trace("Norvo: ERROR - Scintilla.dll not found\n");
    Fatal(u"Scintilla.dll not found.\nPlace Scintilla.dll next to Norvo.exe.");
    return false;
  }
  Trace("Norvo: Scintilla.dll loaded\n");
  if (!g_shell.viewerMode) {
    Trace("Norvo: Loading lexilla.dll\n");
    g_shell.lexillaModule.reset(LoadLibraryW(L"lexilla.dll"));
    if (!g_shell.lexillaModule) {
      Trace("Norvo: ERROR - lexilla.dll not found\n");
      Fatal(u"lexilla.dll not found.\nPlace lexilla.dll next to Norvo.exe.");
      UnloadEditorLibraries();
      return false;
    }
    Trace("Norvo: lexilla.dll loaded\n");
    g_shell.createLexer = reinterpret_cast<void*>(GetProcAddress(g_shell.lexillaModule.get(), "CreateLexer"));
    if (!g_shell.createLexer) {
      Trace("Norvo: ERROR - CreateLexer not found in lexilla.dll\n");
      Fatal(u"lexilla.dll: CreateLexer not found.\nLexilla verzija nije kompatibilna.");
      UnloadEditorLibraries();
      return false;
    }
    Trace("Norvo: CreateLexer function found\n");
  }
  Trace("Norvo: Registering Scintilla window class\n");
  using RegisterClassesFn = int(__stdcall*)(void*);
  if (auto registerClasses = reinterpret_cast<RegisterClassesFn>(
          reinterpret_cast<void*>(GetProcAddress(g_shell.scintillaModule.get(), "Scintilla_RegisterClasses")))) {
    registerClasses(g_shell.instance);
  }
  return true;
}

void UnloadEditorLibraries() {
  g_shell.createLexer = nullptr;
  if (g_shell.lexillaModule) {
    g_shell.lexillaModule.reset();
    Trace("Norvo: lexilla.dll unloaded\n");
  }
  if (g_shell.scintillaModule) {
    g_shell.scintillaModule.reset();
    Trace("Norvo: Scintilla.dll unloaded\n");
  }
}

bool RegisterWindowClasses() {
  Trace("Norvo: Registering main window class\n");
  WNDCLASSEXW margin{};
  margin.cbSize = sizeof margin;
  margin.style = CS_HREDRAW | CS_VREDRAW;
  margin.lpfnWndProc = MarginWndProc;
  margin.hInstance = g_shell.instance;
  margin.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  margin.lpszClassName = L"NorvoMargin";
  RegisterClassExW(&margin);

  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.style = CS_HREDRAW | CS_VREDRAW;
  main.lpfnWndProc = MainWndProc;
  main.hInstance = g_shell.instance;
  main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  main.lpszClassName = L"NorvoMainWindow";
  main.hIcon = LoadIconW(g_shell.instance, MAKEINTRESOURCEW(IDI_NORVO));
  if (!main.hIcon) main.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  main.hIconSm = static_cast<HICON>(LoadImageW(g_shell.instance, MAKEINTRESOURCEW(IDI_NORVO), IMAGE_ICON, 16, 16, 0));
  if (!main.hIconSm) main.hIconSm = LoadIconW(nullptr, IDI_APPLICATION);
  if (!RegisterClassExW(&main) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    Trace("Norvo: ERROR - Failed to register window class\n");
    Fatal(u"Failed to register window class.");
    return false;
  }
  Trace("Norvo: Window class registered\n");
  return true;
}

void RestoreStoredPlacement(HWND window) {
  const AppSettings& s = g_settings;
  if (s.windowX == kDefaultWindowPosition || s.windowY == kDefaultWindowPosition) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(window, &wp)) return;
  auto edge = [](int32_t from, int32_t size) {
    return static_cast<LONG>(std::clamp<int64_t>(int64_t{from} + size, INT32_MIN, INT32_MAX));
  };
  wp.flags = 0;
  wp.showCmd = SW_HIDE;  // shown afterwards with the start's own show command
  wp.rcNormalPosition = {s.windowX, s.windowY, edge(s.windowX, s.windowWidth), edge(s.windowY, s.windowHeight)};
  SetWindowPlacement(window, &wp);
}

int RunNorvo(HINSTANCE instance, int showCommand) {
  Trace("Norvo: wWinMain started\n");
  g_shell.instance = instance;

  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  g_shell.comInitialized = SUCCEEDED(com);
  if (SUCCEEDED(com) || com == RPC_E_CHANGED_MODE) {
    Trace("Norvo: COM initialized\n");
  } else {
    Trace("COM initialization failed\n");
  }

  Trace("Norvo: Loading settings\n");
  LoadSettings(g_settings);
  CopyLiveFromSettings();
  RegisterFileAssociation();
  if (g_settings.firstRun) {
    g_settings.firstRun = 0;
    SaveSettings(g_settings);
  }

  Trace("Norvo: Parsing command line for --viewer flag\n");
  if (HasViewerFlag(CommandLineArguments())) {
    g_shell.viewerMode = true;
    Trace("Norvo: Viewer mode enabled\n");
  }

  Trace("Norvo: Initializing common controls\n");
  INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);

  if (!LoadEditorLibraries()) return Cleanup(1);

  Trace("Norvo: Loading accelerators\n");
  g_shell.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

  if (!RegisterWindowClasses()) return Cleanup(1);

  Trace("Norvo: Creating main window\n");
  WindowRect r = ChooseWindowRect();
  HWND window = CreateWindowExW(g_shell.viewerMode ? 0 : WS_EX_ACCEPTFILES, L"NorvoMainWindow", L"Norvo - Viewer",
                                WS_OVERLAPPEDWINDOW, r.x, r.y, r.width, r.height, nullptr, nullptr, instance, nullptr);
  if (!window) {
    Trace("Norvo: ERROR - Failed to create main window\n");
    Fatal(u"Failed to create main window.");
    return Cleanup(1);
  }
  Trace("Norvo: Main window created\n");
  // The stored rectangle is in workspace coordinates: read as screen coordinates it would
  // move the window by the taskbar's size at every start.
  if (!g_shell.viewerMode) RestoreStoredPlacement(window);

  ApplyStartupTransparency(window);
  if (g_shell.viewerMode) {
    ShowWindow(window, SW_SHOWNORMAL);
  } else {
    ShowWindow(window, g_settings.windowMaximized ? SW_SHOWMAXIMIZED : showCommand);
  }
  UpdateWindow(window);
  Trace("Norvo: Window shown\n");

  ChooseFirstDocument(window);
  if (!g_shell.viewerMode) {
    // Temporary files of earlier sessions: logs, viewer copies, previews and recovery copies.
    PurgeOldScratchFiles();
    PurgeOldRecoveryCopies();
  }

  Trace("Norvo: Entering message loop\n");
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) ProcessMessage(msg);
  Trace("Norvo: Exited message loop\n");
  Trace("Norvo: Cleaning up resources\n");
  return Cleanup(static_cast<int>(msg.wParam));
}
