// What tests read of an open Help window.
#pragma once
#include "common/win.h"

struct HelpView {
  int topic = -1;
  int scroll = 0;
  int maxScroll = 0;
  int hover = -1;
  HBRUSH contentBrush = nullptr;  // the content background brush of the moment
};
// False when `window` is not a Help window with its state.
bool InspectHelpWindow(HWND window, HelpView* view);
