// Recovery copies of the unsaved document: while it has unsaved changes, timer 5002 of the
// main window takes a snapshot of the text on the user-interface thread and hands it to the
// writer thread, which writes it into %APPDATA%\Norvo\recovery under a temporary name and
// renames it over the instance's copy. The copy goes when the changes end cleanly. Each running
// instance holds a named mutex, so that a start can tell copies of ended sessions from those
// of running ones. The viewer keeps no copies.
#pragma once
#include <string>

#include "common/win.h"

constexpr UINT_PTR RECOVERY_TIMER_ID = 5002;

// Begins keeping copies for the main window: the instance's mutex, the writer, the timer.
// Does nothing in the viewer or without a recovery folder.
void StartRecovery(HWND mainWindow);
// Timer 5002: notices changes and starts a copy when one is due.
void OnRecoveryTick(HWND mainWindow);
// WMU_RECOVERY_DONE from the writer: the outcome and what the copy cost in milliseconds.
void OnRecoveryCopyDone(WPARAM outcome, LPARAM costMs);
// The document's changes ended cleanly (saved, replaced by New or Open): its copy goes.
void SettleRecoveryCopy();
// Windows is ending the session (the process ends after this): the unsaved text not yet in
// the copy is written now, and the window waits for it.
void KeepRecoveryCopyNow();
// The normal end of the main window: the copy goes and the writer stops (after its removal).
void EndRecovery();

// %APPDATA%\Norvo\recovery (created when missing), or the folder a test chose; empty when
// there is none.
std::u16string RecoveryFolder();
// This process's name among the instances: its process id and start time.
const std::u16string& RecoveryInstanceId();
// Whether the instance of that name is still running (it holds its mutex).
bool RecoveryOwnerRunning(const std::u16string& instanceId);
// Makes a restored copy this instance's own copy (it is renamed by the writer, in order with
// the writes and removals).
void AdoptRecoveryCopy(const std::u16string& copyPath);
// Holds the instance's mutex (from now until the process ends).
void HoldRecoveryLock();
// Waits until the writer has done everything asked of it so far (for tests and benchmarks).
void WaitForRecoveryWriter();
