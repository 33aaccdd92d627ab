#include "common/win.h"  // before the other system headers

#include "app/statusbar_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/shell_logic.h"
#include "common/handles_win.h"
#include "document/document_win.h"
#include "settings/settings_win.h"
#include "settings/theme.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"

namespace {
// What each part shows now: a part is only sent a text that differs (a caret move usually
// changes part 0 alone).
HWND g_shownFor = nullptr;
std::u16string g_shown[5];
}  // namespace

void SetStatusBarParts(int clientWidth) {
  if (!g_shell.statusBar) return;
  g_shownFor = nullptr;  // new parts: every text is sent again
  StatusEdges edges = StatusBarPartEdges(clientWidth);
  SendMessageW(g_shell.statusBar, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(edges.edge));
}


void UpdateStatusBar() {
  if (!g_shell.statusBar || !g_shell.editor) return;
  StatusInfo info;
  sptr_t caret = Sci(SCI_GETCURRENTPOS);
  info.line = Sci(SCI_LINEFROMPOSITION, static_cast<uptr_t>(caret));
  info.column = Sci(SCI_GETCOLUMN, static_cast<uptr_t>(caret));
  info.selection = Sci(SCI_GETSELECTIONEND) - Sci(SCI_GETSELECTIONSTART);
  info.encoding = static_cast<int>(g_doc.encoding);
  info.eolMode = static_cast<int>(Sci(SCI_GETEOLMODE));
  info.zoom = static_cast<int>(Sci(SCI_GETZOOM));
  StatusTexts texts = BuildStatusTexts(info);
  bool fresh = g_shownFor != g_shell.statusBar;
  g_shownFor = g_shell.statusBar;
  for (int i = 0; i < 5; ++i) {
    if (!fresh && texts.part[i] == g_shown[i]) continue;
    g_shown[i] = texts.part[i];
    SendMessageW(g_shell.statusBar, SB_SETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(W(texts.part[i])));
  }
}

namespace {
void PaintStatusBar(HWND hwnd) {
  PaintScope paint(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  int width = client.right - client.left;
  int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  const ColorPalette& p = PaletteForTheme(g_live.themeId);

  MemoryDc memory(paint.dc());
  Bitmap bitmap(CreateCompatibleBitmap(paint.dc(), width, height));
  HDC dc = memory && bitmap ? memory.get() : paint.dc();
  SelectionGuard selectBitmap(memory.get(), memory && bitmap ? bitmap.get() : nullptr);

  Brush back(CreateSolidBrush(p.statusBack));
  FillRect(dc, &client, back.get());
  Pen line(CreatePen(PS_SOLID, 1, p.borderLine));
  SelectionGuard selectPen(dc, line.get());
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, width, 0);

  SelectionGuard selectFont(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, p.statusText);
  int parts = static_cast<int>(SendMessageW(hwnd, SB_GETPARTS, 0, 0));
  if (parts >= 1 && parts <= 16) {
    std::vector<int> edges(static_cast<size_t>(parts));
    SendMessageW(hwnd, SB_GETPARTS, static_cast<WPARAM>(parts), reinterpret_cast<LPARAM>(edges.data()));
    int left = 0;
    for (int i = 0; i < parts; ++i) {
      int right = edges[static_cast<size_t>(i)] == -1 ? width : edges[static_cast<size_t>(i)];
      wchar_t text[256] = {};
      LRESULT info = SendMessageW(hwnd, SB_GETTEXTLENGTHW, static_cast<WPARAM>(i), 0);
      if (LOWORD(info) < 256) SendMessageW(hwnd, SB_GETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      if (text[0]) {
        RECT r{left + 2, client.top + 1, right - 2, client.bottom};
        DrawTextW(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      }
      if (i < parts - 1 && right < width) {
        MoveToEx(dc, right, client.top + 3, nullptr);
        LineTo(dc, right, client.bottom - 3);
      }
      left = right;
    }
  }
  if (dc != paint.dc()) BitBlt(paint.dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
}

LRESULT CALLBACK StatusBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintStatusBar(hwnd);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, StatusBarProc, id);
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

void SubclassStatusBar(HWND statusBar) { SetWindowSubclass(statusBar, StatusBarProc, 1, 0); }
