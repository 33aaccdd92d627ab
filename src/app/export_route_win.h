// The export commands of the main window.
#pragma once
#include "common/win.h"

// Exports the document in a format of the Export dialog (asking for the output path first);
// false when nothing was written.
bool ExportAs(int formatId);
// The Export dialog, then the export chosen in it.
void ShowExportDialog(HWND owner);
