// The Help window: creation from a template in memory, its procedure, scrolling, keys and
// mouse, theme changes, and the size and topic kept in the settings.
#include "common/win.h"  // before the other system headers

#include <algorithm>
#include <memory>
#include <utility>

#include "common/messages.h"
#include "common/visual_win.h"
#include "help/help_logic.h"
#include "help/help_state_win.h"
#include "help/help_testing.h"
#include "help/help_win.h"
#include "settings/settings_win.h"
#include "ui/shell_win.h"

namespace {
constexpr wchar_t kCaption[] = L"Norvo - Help";
// WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_CENTER
constexpr DWORD kTemplateStyle = 0x80CC0800;

HelpState* StateOf(HWND window) {
  return reinterpret_cast<HelpState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// A dialog procedure answers through DWLP_MSGRESULT.
INT_PTR Answer(HWND window, LONG_PTR result) {
  SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}

void SetIcons(HWND window) {
  for (auto [kind, metric] : {std::pair{ICON_SMALL, SM_CXSMICON}, std::pair{ICON_BIG, SM_CXICON}}) {
    const int size = GetSystemMetrics(metric);
    HANDLE icon = LoadImageW(g_shell.instance, MAKEINTRESOURCEW(IDI_NORVO), IMAGE_ICON, size, size, LR_SHARED);
    if (icon) SendMessageW(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
  }
}

// The stored size when it suits this screen, the default otherwise; centred on the screen.
void PlaceWindow(HWND window) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const HelpSize size = HelpOpeningSize(g_settings.helpWidth, g_settings.helpHeight, screenWidth, screenHeight);
  SetWindowPos(window, nullptr, (screenWidth - size.width) / 2, (screenHeight - size.height) / 2, size.width,
               size.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Create(HWND window) {
  auto* state = new HelpState;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  state->topic = HelpOpeningTopic(g_settings.helpTopic);
  CreateHelpBrushes(*state);
  CreateHelpFonts(*state, window);
  SetTitleBarDark(window, true);  // dark whatever the theme
  SetExplorerStyle(window, GetColorPalette().isDark);
  SetIcons(window);
  PlaceWindow(window);
  LayoutHelp(window, *state);
}

// The outer size (of the restored window when it is minimised) and the topic, saved at once.
void Destroy(HWND window) {
  HelpState* state = StateOf(window);
  RECT outer{};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (IsIconic(window) && GetWindowPlacement(window, &placement))
    outer = placement.rcNormalPosition;
  else
    GetWindowRect(window, &outer);
  g_settings.helpWidth = outer.right - outer.left;
  g_settings.helpHeight = outer.bottom - outer.top;
  if (state) g_settings.helpTopic = static_cast<uint32_t>(state->topic);
  SaveSettings(g_settings);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  delete state;
  if (g_shell.helpWindow == window) g_shell.helpWindow = nullptr;
}

void InvalidatePane(HWND window) {
  RECT pane = HelpPaneRect(window);
  InvalidateRect(window, &pane, FALSE);
}

void ScrollTo(HWND window, HelpState& state, int position) {
  position = ClampHelpScroll(position, state.maxScroll);
  if (position == state.scroll) return;
  state.scroll = position;
  SetScrollPos(window, SB_VERT, position, TRUE);
  InvalidatePane(window);
}

void SelectTopic(HWND window, HelpState& state, int topic) {
  state.topic = topic;
  state.scroll = 0;
  LayoutHelp(window, state);
  InvalidateRect(window, nullptr, FALSE);
}

int PageHeight(HWND window) {
  RECT pane = HelpPaneRect(window);
  return std::max<int>(pane.bottom - pane.top, 0);
}

void OnScrollBar(HWND window, HelpState& state, int code) {
  HelpScroll action;
  switch (code) {
    case SB_LINEUP: action = HelpScroll::LineUp; break;
    case SB_LINEDOWN: action = HelpScroll::LineDown; break;
    case SB_PAGEUP: action = HelpScroll::PageUp; break;
    case SB_PAGEDOWN: action = HelpScroll::PageDown; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: action = HelpScroll::Thumb; break;
    case SB_TOP: action = HelpScroll::Top; break;
    case SB_BOTTOM: action = HelpScroll::Bottom; break;
    default: return;
  }
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  GetScrollInfo(window, SB_VERT, &info);  // the thumb's full 32-bit position
  ScrollTo(window, state, HelpScrollTo(state.scroll, action, info.nTrackPos, PageHeight(window), state.maxScroll));
}

// False for keys the window leaves alone.
bool OnKey(HWND window, HelpState& state, WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      DestroyWindow(window);
      return true;
    case VK_PRIOR:
    case VK_NEXT:
      OnScrollBar(window, state, key == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN);
      return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
      const int topic = HelpStepTopic(state.topic, key == VK_LEFT || key == VK_UP ? -1 : 1);
      if (topic != state.topic) SelectTopic(window, state, topic);
      return true;
    }
  }
  return false;
}

void OnMouseMove(HWND window, HelpState& state, int x, int y) {
  if (!state.trackingLeave) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
    state.trackingLeave = TrackMouseEvent(&track) != FALSE;
  }
  const int hover = HelpTopicAt(x, y);
  if (hover == state.hover) return;
  state.hover = hover;
  RECT panel = HelpPanelRect(window);
  InvalidateRect(window, &panel, FALSE);
}

void OnMouseLeave(HWND window, HelpState& state) {
  state.trackingLeave = false;
  if (state.hover < 0) return;
  state.hover = -1;
  RECT panel = HelpPanelRect(window);
  InvalidateRect(window, &panel, FALSE);
}

void OnClick(HWND window, HelpState& state, int x, int y) {
  const int topic = HelpTopicAt(x, y);
  if (topic < 0) return;
  g_settings.helpTopic = static_cast<uint32_t>(topic);
  SelectTopic(window, state, topic);
}

bool OnSetCursor(HWND window, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return false;
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(window, &at);
  SetCursor(LoadCursorW(nullptr, HelpTopicAt(at.x, at.y) >= 0 ? IDC_HAND : IDC_ARROW));
  return true;
}

void OnThemeChanged(HWND window, HelpState& state) {
  CreateHelpBrushes(state);
  SetTitleBarDark(window, true);
  SetExplorerStyle(window, GetColorPalette().isDark);
  InvalidateRect(window, nullptr, FALSE);
}

// Messages that need the state; false for those left to the dialog manager.
bool HandleWithState(HWND window, HelpState& state, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  *result = TRUE;
  switch (msg) {
    case WM_SIZE:
      LayoutHelp(window, state);
      InvalidateRect(window, nullptr, FALSE);
      return true;
    case WM_PAINT:
      PaintHelp(window, state);
      return true;
    case WM_VSCROLL:
      OnScrollBar(window, state, LOWORD(wParam));
      return true;
    case WM_MOUSEWHEEL:
      ScrollTo(window, state, HelpWheelTo(state.scroll, GET_WHEEL_DELTA_WPARAM(wParam), state.maxScroll));
      return true;
    case WM_KEYDOWN:
      return OnKey(window, state, wParam);
    case WM_MOUSEMOVE:
      OnMouseMove(window, state, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return true;
    case WM_MOUSELEAVE:
      OnMouseLeave(window, state);
      return true;
    case WM_LBUTTONDOWN:
      OnClick(window, state, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return true;
    case WMU_APPLY_THEME:
      OnThemeChanged(window, state);
      return true;
  }
  return false;
}
}  // namespace

INT_PTR CALLBACK HelpWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      Create(window);
      return TRUE;
    case WM_GETDLGCODE:  // every key comes here, not to the dialog manager's navigation
      return Answer(window, DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS);
    case WM_ERASEBKGND:
      return Answer(window, 1);  // every pixel is painted
    case WM_SETCURSOR:
      return OnSetCursor(window, lParam) ? Answer(window, TRUE) : FALSE;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {kHelpMinTrackWidth, kHelpMinTrackHeight};
      return TRUE;
    }
    case WM_ACTIVATE:
      SetTitleBarDark(window, true);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDCANCEL) return FALSE;
      DestroyWindow(window);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      Destroy(window);
      return FALSE;
  }
  HelpState* state = StateOf(window);
  INT_PTR result = FALSE;
  return state && HandleWithState(window, *state, msg, wParam, lParam, &result) ? result : FALSE;
}

void ShowHelp(HWND mainWindow) {
  if (g_shell.helpWindow && IsWindow(g_shell.helpWindow)) {
    if (IsIconic(g_shell.helpWindow)) ShowWindow(g_shell.helpWindow, SW_RESTORE);
    SetForegroundWindow(g_shell.helpWindow);
    return;
  }
  // 512 zero bytes: the header, no menu, the default class, the caption; no controls, no font.
  auto buffer = std::make_unique<DWORD[]>(128);
  auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer.get());
  dialog->style = kTemplateStyle;
  dialog->cx = 560;
  dialog->cy = 400;
  auto* words = reinterpret_cast<WORD*>(dialog + 1);
  lstrcpyW(reinterpret_cast<wchar_t*>(words + 2), kCaption);
  HWND window = CreateDialogIndirectParamW(g_shell.instance, dialog, mainWindow, HelpWndProc, 0);
  if (!window) return;
  g_shell.helpWindow = window;
  ShowWindow(window, SW_SHOW);
}

bool InspectHelpWindow(HWND window, HelpView* view) {
  HelpState* state = window && IsWindow(window) ? StateOf(window) : nullptr;
  if (!state) return false;
  *view = {state->topic, state->scroll, state->maxScroll, state->hover, state->dialogBack.get()};
  return true;
}
