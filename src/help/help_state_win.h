// What the Help window keeps between messages, its drawing and its layout.
#pragma once
#include "common/handles_win.h"
#include "common/win.h"

struct HelpState {
  int topic = 0;
  int scroll = 0;     // pixels from the top of the text
  int maxScroll = 0;
  int hover = -1;     // topic row under the mouse
  bool trackingLeave = false;
  Brush dialogBack, panelBack, itemHoverBack, itemBack;
  Font listFont, bodyFont, headingFont, titleFont;
  int bodyHeight = 0;     // text heights of the body and heading fonts
  int headingHeight = 0;
};

// Brushes from the live palette (again after a theme change).
void CreateHelpBrushes(HelpState& state);
// "Segoe UI" at 9, 10, 11 and 12 points for the list, body, headings and title.
void CreateHelpFonts(HelpState& state, HWND window);

// Content height of the chosen topic, the maximum scroll position and the scroll bar.
void LayoutHelp(HWND window, HelpState& state);
void PaintHelp(HWND window, HelpState& state);

// The topic panel and the content pane in client coordinates.
RECT HelpPanelRect(HWND window);
RECT HelpPaneRect(HWND window);
