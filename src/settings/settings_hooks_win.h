// Where tests step in for the Settings and Font dialogs: called at the end of each dialog's
// initialisation, so that a test can set its controls and post its buttons.
#pragma once
#include "common/win.h"

struct SettingsHooks {
  void (*dialogShown)(HWND dialog) = nullptr;
};
extern SettingsHooks g_settingsHooks;
