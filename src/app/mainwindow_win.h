// The main window and start-up: the process's steps, the message loop, the window procedure,
// the title and the status bar.
#pragma once
#include "app/statusbar_win.h"
#include "common/win.h"
#include "ui/shell_win.h"

constexpr int kToolbarHeight = 44;
constexpr int kMinTrackWidth = 640;
constexpr int kMinTrackHeight = 480;

// Start-up steps, in their order; each traces and reports its own failure.
// Returns the process exit code.
int RunNorvo(HINSTANCE instance, int showCommand);

// Loads Scintilla.dll and, outside viewer mode, lexilla.dll with its CreateLexer.
// On failure shows the fatal message, unloads what was loaded and returns false.
bool LoadEditorLibraries();
void UnloadEditorLibraries();
// Registers "NorvoMargin" and "NorvoMainWindow"; false (after the fatal message) when
// the main class cannot be registered.
bool RegisterWindowClasses();

// One message of the loop: accelerators first (except the editing keys of a dialog's edit
// field), then the dialog keys of the Help and Find and Replace windows, then the usual
// translation and dispatch.
void ProcessMessage(MSG& msg);

// Where tests step in for the main window: the window class of the edit control it creates
// (a test may name one that does not exist to make the creation fail).
struct AppHooks {
  const wchar_t* editorClassName = L"Scintilla";
};
extern AppHooks g_appHooks;

// Puts a new, still hidden main window at the stored placement. The stored rectangle is the
// workspace rectangle of GetWindowPlacement, restored in the same coordinates.
void RestoreStoredPlacement(HWND window);

// The main window's procedure.
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The title, rebuilt from the document state.
void UpdateTitle();
