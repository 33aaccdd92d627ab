// The preview window's state, shared by the routine that opens it and its procedure.
#pragma once
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/win.h"
#include "print/print_layout.h"

struct PreviewState {
  HWND owner = nullptr;
  size_t current = 0;
  std::vector<int> pageStarts;
  Bitmap page;  // the current page only
  PageLayout layout;
  int hover = -1;  // the toolbar button under the mouse
  bool trackingLeave = false;
  size_t PageCount() const { return pageStarts.size(); }
};

// Template 600; the dialog parameter is the PreviewState, which the window does not own.
INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
