// What the benchmark's parts share: the clock, and a hidden main window with the real editor.
#pragma once
#include <string>

#include "common/win.h"

double Now();
bool StartEditor(HWND* window);

// PDF export of a source file: end to end and the writer alone, pages per second, file size
// and the embedded font data per face. Writes `outPath`.
int MeasurePdf(const std::u16string& sourcePath, const std::u16string& outPath);

// Print Preview of a document: from the command to page 1, a page turn, and Cancel.
int MeasurePreview(const std::u16string& sourcePath);

// Typing into a large document with recovery copies on and off (the same run): the window's
// time per keystroke, the slowest keystroke and the copies' cost. Copies go to `folder`.
int MeasureRecovery(size_t megabytes, double seconds, const std::u16string& folder);
