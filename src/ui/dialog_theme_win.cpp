#include "ui/dialog_theme_win.h"

#include <algorithm>
#include <string>

#include <commctrl.h>

#include "common/handles_win.h"
#include "common/visual_win.h"
#include "settings/settings_win.h"

namespace {
// Brushes shared by the themed dialogs, rebuilt when their colour changes.
struct CachedBrush {
  Brush brush;
  COLORREF colour = CLR_INVALID;
  HBRUSH For(COLORREF c) {
    if (!brush || colour != c) {
      brush.reset(CreateSolidBrush(c));
      colour = c;
    }
    return brush.get();
  }
};
CachedBrush g_dialogBrush;
CachedBrush g_inputBrush;
// The dialog class's own background brush, kept apart from the cache: every dialog of the
// class (the system's file dialogs too) erases with it, so it is deleted only after the
// class holds its successor.
Brush g_classBrush;

std::wstring ClassOf(HWND hwnd) {
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  return cls;
}

// A group box draws its own frame and caption: the system's drawing may ignore the caption
// colour the dialog gives it, which leaves a black caption on a dark dialog.
void PaintGroupBox(HWND box) {
  const ColorPalette& p = GetColorPalette();
  PaintScope paint(box);
  HDC dc = paint.dc();
  RECT r;
  GetClientRect(box, &r);
  wchar_t caption[128] = {};
  GetWindowTextW(box, caption, 128);
  SelectionGuard font(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  SIZE text{};
  GetTextExtentPoint32W(dc, caption, static_cast<int>(wcslen(caption)), &text);
  const int top = text.cy / 2;
  {
    Pen pen(CreatePen(PS_SOLID, 1, p.buttonBorder));
    SelectionGuard usePen(dc, pen.get());
    SelectionGuard noFill(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top + top, r.right, r.bottom);
  }
  if (caption[0]) {
    RECT label{r.left + 6, r.top, r.left + 6 + text.cx + 4, r.top + text.cy};
    FillRect(dc, &label, g_dialogBrush.For(p.dialogBack));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(box) ? p.dialogText : p.buttonBorder);
    label.left += 2;
    DrawTextW(dc, caption, -1, &label, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  }
}

LRESULT CALLBACK GroupBoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  switch (msg) {
    case WM_PAINT:
      PaintGroupBox(box);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      RemoveWindowSubclass(box, GroupBoxProc, id);
      break;
  }
  return DefSubclassProc(box, msg, wParam, lParam);
}

BOOL CALLBACK ThemeChild(HWND child, LPARAM dark) {
  std::wstring cls = ClassOf(child);
  if (_wcsicmp(cls.c_str(), L"ComboBox") == 0) {
    SetExplorerStyle(child, dark != 0);
  } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
    LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    LONG_PTR kind = style & BS_TYPEMASK;
    if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) {
      SetWindowLongPtrW(child, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
      InvalidateRect(child, nullptr, TRUE);
    } else if (kind == BS_GROUPBOX) {
      SetWindowSubclass(child, GroupBoxProc, 1, 0);
      InvalidateRect(child, nullptr, TRUE);
    } else if (kind != BS_OWNERDRAW) {
      ClearVisualStyle(child);  // check boxes: their text colour can then be set
    }
  }
  return TRUE;
}
}  // namespace

void ThemeDialog(HWND dialog) {
  const ColorPalette& p = GetColorPalette();
  SetTitleBarDarkAttribute(dialog, p.isDark);
  Brush classBrush(CreateSolidBrush(p.dialogBack));
  SetClassLongPtrW(dialog, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(classBrush.get()));
  g_classBrush = std::move(classBrush);  // the previous one is deleted now that the class no longer uses it
  EnumChildWindows(dialog, ThemeChild, p.isDark ? 1 : 0);
  InvalidateRect(dialog, nullptr, TRUE);
}

bool HandleDialogColours(HWND dialog, UINT msg, WPARAM wParam, LPARAM, INT_PTR* result) {
  const ColorPalette& p = GetColorPalette();
  HDC dc = reinterpret_cast<HDC>(wParam);
  switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetTextColor(dc, p.dialogText);
      SetBkMode(dc, TRANSPARENT);
      *result = reinterpret_cast<INT_PTR>(g_dialogBrush.For(p.dialogBack));
      return true;
    case WM_CTLCOLOREDIT:
      SetTextColor(dc, p.editorText);
      SetBkColor(dc, p.editorBack);
      *result = reinterpret_cast<INT_PTR>(g_dialogBrush.For(p.dialogBack));
      return true;
    case WM_CTLCOLORLISTBOX:
      SetTextColor(dc, p.editorText);
      SetBkColor(dc, p.inputBack);
      *result = reinterpret_cast<INT_PTR>(g_inputBrush.For(p.inputBack));
      return true;
    case WM_CTLCOLORDLG:
      *result = reinterpret_cast<INT_PTR>(g_dialogBrush.For(p.dialogBack));
      return true;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(dialog, &rc);
      FillRect(dc, &rc, g_dialogBrush.For(p.dialogBack));
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
      *result = TRUE;
      return true;
    }
  }
  return false;
}

void CentreOverOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner) return;
  RECT o, d;
  GetWindowRect(owner, &o);
  GetWindowRect(dialog, &d);
  const int width = d.right - d.left, height = d.bottom - d.top;
  int x = o.left + ((o.right - o.left) - width) / 2;
  int y = o.top + ((o.bottom - o.top) - height) / 2;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &mi)) {
    const RECT& work = mi.rcWork;
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  }
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DrawDialogButton(const DRAWITEMSTRUCT& item) {
  const ColorPalette& p = GetColorPalette();
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  FillRect(dc, &r, g_dialogBrush.For(p.dialogBack));
  {
    Brush face(CreateSolidBrush(pressed ? p.buttonPressedFace : p.buttonFace));
    Pen border(CreatePen(PS_SOLID, 1, focused ? p.accent : p.buttonBorder));
    SelectionGuard b(dc, face.get());
    SelectionGuard o(dc, border.get());
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 8, 8);
  }
  if (!pressed) DrawButtonHighlight(dc, r, p.isDark ? RGB(0x50, 0x50, 0x5A) : RGB(0xFF, 0xFF, 0xFF));
  wchar_t caption[128] = {};
  GetWindowTextW(item.hwndItem, caption, 128);
  DrawButtonCaption(dc, r, caption, -13, p.buttonText, pressed);
}

Font UiFont(int height) {
  return Font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
}

void DrawButtonHighlight(HDC dc, const RECT& r, COLORREF colour) {
  Pen highlight(CreatePen(PS_SOLID, 1, colour));
  SelectionGuard o(dc, highlight.get());
  MoveToEx(dc, r.left + 4, r.top + 1, nullptr);
  LineTo(dc, r.right - 4, r.top + 1);
}

void DrawButtonCaption(HDC dc, RECT r, const wchar_t* caption, int fontHeight, COLORREF colour, bool pressed) {
  Font font = UiFont(fontHeight);
  SelectionGuard f(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  if (pressed) OffsetRect(&r, 0, 1);
  DrawTextW(dc, caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
