#include "common/win.h"  // before the other system headers

#include "common/visual_win.h"

#include <dwmapi.h>
#include <uxtheme.h>

void SetTitleBarDarkAttribute(HWND window, bool dark) {
  if (!window) return;
  BOOL value = dark ? TRUE : FALSE;
  if (FAILED(DwmSetWindowAttribute(window, 20, &value, sizeof value))) {
    DwmSetWindowAttribute(window, 19, &value, sizeof value);
  }
}

void SendFrameChange(HWND window) {
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void SetTitleBarDark(HWND window, bool dark) {
  if (!window) return;
  SetTitleBarDarkAttribute(window, dark);
  SendFrameChange(window);
}

void SetExplorerStyle(HWND window, bool dark) {
  if (window) SetWindowTheme(window, dark ? L"DarkMode_Explorer" : L"Explorer", nullptr);
}

void ClearVisualStyle(HWND window) {
  if (window) SetWindowTheme(window, L"", L"");
}
