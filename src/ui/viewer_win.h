// Viewer mode: the fixed paper-like look of the read-only viewer, and starting viewers
// from the editor.
#pragma once
#include <string>

#include "common/win.h"

void ApplyViewerLook(HWND viewerWindow);

// Starts a viewer process on a file, 40 pixels right of and below the owner's top-left
// corner, bound to the editor through a job object: one viewer at a time, and none outlives
// the editor. Every failure is silent.
void LaunchViewerProcess(HWND owner, const std::u16string& path);
// The same on a temporary copy of the document's text (temp_*.txt in the settings folder).
void OpenDocumentInViewer(HWND owner);

// Opens a file with the program the system associates with it; false when none could.
bool ShellOpen(HWND owner, const std::u16string& path);
