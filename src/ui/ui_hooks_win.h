// Where tests step in for the shared window services: each hook, when set, is called instead
// of the system (a message box, a viewer process, the shell's "open").
#pragma once
#include <string>

#include "common/win.h"

struct UiHooks {
  // Answers a message box instead of showing it.
  int (*messageBox)(HWND owner, int kind, const std::u16string& title, const std::u16string& text) = nullptr;
  // Sees a viewer launch instead of starting the process.
  void (*viewerLaunch)(const std::u16string& path, int width, int height) = nullptr;
  // Answers for the shell's "open" of a file.
  bool (*shellOpen)(const std::u16string& path) = nullptr;
};
extern UiHooks g_uiHooks;
