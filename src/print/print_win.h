// Printing (command 602, Ctrl+P, and the preview's Print button) and Page Setup (603).
#pragma once
#include "common/win.h"

#include <commdlg.h>

// The print dialog, then the document as black wrapped text in the editor's font with a
// number on every page, laid out on the chosen printer's page with the stored margins.
void PrintDocument(HWND owner);

// The system's page-setup dialog with the stored margins (hundredths of a millimetre) and
// paper size; what the user confirms is stored at once. True when confirmed.
bool ShowPageSetup(HWND owner);

// Where tests step in: the two system dialogs, and a page whose StartPage fails (1 is the
// first; 0 for none).
struct PrintHooks {
  BOOL (*printDialog)(PRINTDLGW* dialog) = nullptr;
  BOOL (*pageSetupDialog)(PAGESETUPDLGW* dialog) = nullptr;
  int failingPage = 0;
};
extern PrintHooks g_printHooks;
