// Start-up with recovery copies left by sessions that ended unexpectedly (a crash, a power
// cut, a killed process): one question per copy, titled "Norvo - Recovery". Yes makes the text
// a modified document with its original path, encoding and line ends (the file on disk is not
// touched); No keeps the copy as "*.old" for seven days; a damaged copy is kept aside as
// "*.damaged" and reported once, never loaded.
#pragma once
#include <string>

#include "common/win.h"

// Asks about every copy whose instance is no longer running. The copy of `commandLinePath`
// (the file named on the command line, if any) is asked about first, so that it is not loaded
// before the question. The first text restored becomes this window's document (unless the
// command line names another file); each further one opens in a Norvo window of its own.
// True when this window's document is a restored text.
bool OfferRecoveredCopies(HWND window, const std::u16string& commandLinePath);
// A copy already chosen in another window's question ("--restore <copy>") becomes this
// window's document. False (after a message) when it cannot.
bool RestoreChosenCopy(HWND window, const std::u16string& copyPath);
// Deletes the "*.old" copies and the writer's leftover files of more than seven days.
void PurgeOldRecoveryCopies();
