// The Print Preview figures: from the command to page 1 on screen (pagination and the first
// page), one page turn, and how soon Cancel ends the pagination; the baseline is measuring
// every line once with GetTextExtentPoint32W, the least any pagination must do.
#include "common/win.h"  // before the other system headers

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench.h"
#include "common/utf.h"
#include "document/file_commands_win.h"
#include "export/export_hooks_win.h"
#include "export/export_win.h"
#include "print/preview_win.h"
#include "print/print_layout.h"
#include "print/print_render_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"

namespace {
double g_started = 0, g_shown = 0, g_turn = 0;
double g_cancelClicked = 0;

void TimeTheWindow(HWND preview) {
  g_shown = Now();
  const double before = Now();
  SendMessageW(preview, WM_KEYDOWN, VK_RIGHT, 0);  // the page is rendered at once
  g_turn = Now() - before;
  PostMessageW(preview, WM_CLOSE, 0, 0);
}

HWND g_progress = nullptr;
void RememberProgress(HWND progress) { g_progress = progress; }
void CancelOnSecondPage(const std::u16string& text) {
  if (g_cancelClicked != 0 || text.rfind(u"Paginating... page 2", 0) != 0) return;
  const RECT r = ProgressButtonRect(g_progress);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  g_cancelClicked = Now();
  SendMessageW(g_progress, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(g_progress, WM_LBUTTONUP, 0, at);
}

double MeasureEveryLine(const std::vector<std::u16string>& lines) {
  HDC screen = GetDC(nullptr);
  const Font body = MakeBodyFont(g_live.fontName, g_live.fontSize, GetDeviceCaps(screen, LOGPIXELSY));
  HGDIOBJ old = SelectObject(screen, body.get());
  const double start = Now();
  long long total = 0;
  for (const std::u16string& line : lines) {
    SIZE size{};
    GetTextExtentPoint32W(screen, W(line.data()), static_cast<int>(line.size()), &size);
    total += size.cx;
  }
  const double seconds = Now() - start;
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return total >= 0 ? seconds : 0;
}
}  // namespace

int MeasurePreview(const std::u16string& sourcePath) {
  HWND window = nullptr;
  if (!StartEditor(&window) || !OpenDocumentPath(window, sourcePath)) return 1;
  g_previewHooks.shown = TimeTheWindow;
  double toPage1 = 1e9, turn = 1e9;
  for (int i = 0; i < 3; ++i) {
    g_started = Now();
    ShowPrintPreview(window);
    toPage1 = std::min(toPage1, g_shown - g_started);
    turn = std::min(turn, g_turn);
  }
  g_previewHooks.shown = nullptr;
  g_exportHooks.progressWindow = RememberProgress;
  g_exportHooks.progressText = CancelOnSecondPage;
  ShowPrintPreview(window);
  const double cancel = Now() - g_cancelClicked;
  g_exportHooks = ExportHooks{};

  const std::vector<std::u16string> lines = GetDocumentLines();
  double baseline = 1e9;
  for (int i = 0; i < 3; ++i) baseline = std::min(baseline, MeasureEveryLine(lines));
  std::printf("preview  %s %lld lines | command to page 1 %.3f s (%.1fx measuring every line once, %.3f s) | "
              "page turn %.1f ms | Cancel to closed %.1f ms\n",
              Utf16ToUtf8(sourcePath.substr(sourcePath.find_last_of(u"\\/") + 1)).c_str(),
              static_cast<long long>(lines.size()), toPage1, toPage1 / baseline, baseline, turn * 1000, cancel * 1000);
  DestroyWindow(window);
  return 0;
}
