#include "document/autosave_win.h"

#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "settings/settings_win.h"
#include "ui/shell_win.h"

void ArmAutoSave(HWND mainWindow) {
  if (!mainWindow) return;
  KillTimer(mainWindow, AUTOSAVE_TIMER_ID);
  if (UINT period = AutoSavePeriodMs(g_settings.autoSaveMinutes))
    SetTimer(mainWindow, AUTOSAVE_TIMER_ID, period, nullptr);
}

void OnAutoSaveTick(HWND owner) {
  // One save at a time: a tick during another save or its message is skipped.
  if (SaveInProgress() || g_shell.viewerMode) return;
  if (g_doc.modified && !g_doc.path.empty()) SaveDocument(owner);
}
