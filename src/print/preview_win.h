// Print Preview (command 601): the document paginated for A4 at the screen's resolution behind
// a progress window, then shown a page at a time.
#pragma once
#include "common/win.h"

void ShowPrintPreview(HWND owner);

// Where tests step in: told of the preview window once it is up (it is modal).
struct PreviewHooks {
  void (*shown)(HWND preview) = nullptr;
};
extern PreviewHooks g_previewHooks;
