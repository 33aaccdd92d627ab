// The recovery copies' cost while typing: simulated keystrokes into the middle of a large
// document, one every 20 ms, with the main window's messages (the recovery timer, the writer's
// notices) handled between them; the time the window spends per keystroke with recovery on
// against the same run with it off, the slowest keystroke, and what each copy cost.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench.h"
#include "common/messages.h"
#include "document/document_hooks_win.h"
#include "document/document_win.h"
#include "document/recovery_format.h"
#include "document/recovery_win.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"

namespace {

struct TypingFigures {
  double busyPerKey = 0;  // seconds of window work per keystroke
  double slowestKey = 0;
  int keys = 0;
  std::vector<double> copyCosts;  // from snapshot to rename, as the writer reported
};

// Handles every waiting message; the time spent is the window's.
double HandlePending(TypingFigures& figures) {
  const double start = Now();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WMU_RECOVERY_DONE && msg.wParam == 1) figures.copyCosts.push_back(msg.lParam / 1000.0);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return Now() - start;
}

TypingFigures Type(HWND editor, double seconds) {
  TypingFigures figures;
  const double period = 0.020, begin = Now();
  double busy = 0;
  for (int k = 0; Now() - begin < seconds; ++k) {
    const double slot = begin + k * period;
    const double start = Now();
    SendMessageW(editor, WM_CHAR, static_cast<WPARAM>('a' + k % 26), 0);
    double spent = (Now() - start) + HandlePending(figures);
    // The rest of the slot: messages that arrive (timer ticks, notices) are handled as they come.
    while (Now() < slot + period) {
      const DWORD wait = static_cast<DWORD>(std::max(0.0, (slot + period - Now()) * 1000));
      if (MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT) == WAIT_OBJECT_0)
        spent += HandlePending(figures);
    }
    busy += spent;
    figures.slowestKey = std::max(figures.slowestKey, spent);
    ++figures.keys;
  }
  figures.busyPerKey = busy / figures.keys;
  return figures;
}

}  // namespace

int MeasureRecovery(size_t megabytes, double seconds, const std::u16string& folder) {
  HWND window = nullptr;
  if (!StartEditor(&window)) return 1;
  std::string text;
  text.reserve(megabytes * 1'000'000 + 100);
  for (int i = 0; text.size() < megabytes * 1'000'000; ++i)
    text += "line " + std::to_string(i) + " of a long document that is typed into\r\n";
  if (!SetDocumentText(text)) return 1;
  HWND editor = g_shell.editor;
  Sci(SCI_GOTOPOS, static_cast<uptr_t>(text.size() / 2));
  g_doc.modified = true;
  g_documentHooks.recoveryFolder = folder;

  EndRecovery();  // off: the same window, the same typing, no copies
  Type(editor, 3);  // the first keystrokes lay out the whole document: not part of either figure
  const TypingFigures off = Type(editor, seconds);
  g_doc.modified = true;
  StartRecovery(window);
  const TypingFigures on = Type(editor, seconds);
  EndRecovery();  // also removes the copy

  double total = 0;
  for (double c : on.copyCosts) total += c;
  const double meanCost = on.copyCosts.empty() ? 0 : total / static_cast<double>(on.copyCosts.size());
  std::printf("recovery %.0f MB, %d + %d keystrokes every 20 ms for %.0f s each | per keystroke: off %.4f ms, on "
              "%.4f ms, extra %.4f ms (ratio %.3fx) | slowest keystroke off %.1f ms, on %.1f ms | %zu copies, each "
              "%.3f s from snapshot to rename (%.1f%% of the typing time)\n",
              Sci(SCI_GETLENGTH) / 1e6, off.keys, on.keys, seconds, off.busyPerKey * 1000, on.busyPerKey * 1000,
              (on.busyPerKey - off.busyPerKey) * 1000, on.busyPerKey / off.busyPerKey, off.slowestKey * 1000,
              on.slowestKey * 1000, on.copyCosts.size(), meanCost, total / seconds * 100);
  g_doc.modified = false;
  DestroyWindow(window);
  return on.copyCosts.empty() ? 1 : 0;
}
