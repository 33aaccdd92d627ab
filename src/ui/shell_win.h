// Process-wide state of the application shell (user-interface thread only): the instance,
// the loaded libraries and the windows every part of the program may address.
#pragma once
#include "common/handles_win.h"
#include "common/win.h"

struct AppShell {
  HINSTANCE instance = nullptr;
  bool viewerMode = false;
  UniqueModule scintillaModule;
  UniqueModule lexillaModule;
  void* createLexer = nullptr;  // Lexilla's "CreateLexer"
  HACCEL accelerators = nullptr;
  bool comInitialized = false;

  HWND mainWindow = nullptr;
  HWND toolbar = nullptr;
  HWND editor = nullptr;
  HWND statusBar = nullptr;
  HWND marginWindow = nullptr;
  bool marginVisible = false;
  int marginWidth = 0;
  HWND findDialog = nullptr;
  HWND regexDialog = nullptr;
  HWND helpWindow = nullptr;
  HWND previewWindow = nullptr;  // while Print Preview is open
  HWND settingsDialog = nullptr;  // while the Settings dialog is open
  UniqueHandle viewerJob;  // the job object the open viewer is bound to
  bool toolbarClassRegistered = false;
  bool findPurgeDone = false;
  bool regexPurgeDone = false;
};
extern AppShell g_shell;
