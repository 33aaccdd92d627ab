// Where tests step in for the document's files: how files are opened, read and written when a
// document is loaded or saved, and the two file dialogs. The system's calls unless a test
// replaces them (to deny write access, fail a read part-way, refuse new files in a folder, run
// out of space after N bytes, choose a path without a dialog, or keep recovery copies elsewhere).
#pragma once
#include <string>

#include "common/win.h"

struct DocumentHooks {
  using OpenFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  OpenFn openForLoad = CreateFileW;
  BOOL(WINAPI* readFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) = ReadFile;
  OpenFn openForSave = CreateFileW;
  BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = WriteFile;
  // Answers the open (false) or save (true) dialog with a path, empty for cancelled.
  std::u16string (*fileDialog)(bool save) = nullptr;
  // The folder of the recovery copies; empty: %APPDATA%\Norvo\recovery.
  std::u16string recoveryFolder;
};
extern DocumentHooks g_documentHooks;
