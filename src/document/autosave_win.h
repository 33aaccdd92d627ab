// Auto-save: timer 5001 of the main window saves a modified document that has a name.
#pragma once
#include "common/win.h"

constexpr UINT_PTR AUTOSAVE_TIMER_ID = 5001;
// Sets timer 5001 from autoSaveMinutes (or kills it for 0).
void ArmAutoSave(HWND mainWindow);
void OnAutoSaveTick(HWND owner);
