#include "search/search_dialog_win.h"

#include "common/handles_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/menu_win.h"
#include "ui/theme_win.h"

namespace {
// The edit fields' background, remade when the theme's editor colour changes.
Brush g_editBrush;
COLORREF g_editColour = CLR_INVALID;
}  // namespace

bool HandleSearchDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (msg) {
    case WM_CTLCOLOREDIT: {
      const ColorPalette& p = GetColorPalette();
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, p.editorText);
      SetBkColor(dc, p.editorBack);
      if (!g_editBrush || g_editColour != p.editorBack) {
        g_editBrush.reset(CreateSolidBrush(p.editorBack));
        g_editColour = p.editorBack;
      }
      *result = reinterpret_cast<INT_PTR>(g_editBrush.get());
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_BUTTON) {
        DrawDialogButton(*item);
        *result = TRUE;
      } else {
        *result = DrawEditMenuItem(item);
      }
      return true;
    }
    case WM_MEASUREITEM:
      *result = MeasureEditMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return true;
  }
  return HandleDialogColours(dialog, msg, wParam, lParam, result);
}
