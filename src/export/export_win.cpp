#include "export/export_hooks_win.h"
#include "export/export_win.h"

#include <dwmapi.h>

#include <algorithm>
#include <memory>

#include "common/messages.h"
#include "common/utf.h"
#include "common/visual_win.h"
#include "export/export_logic.h"
#include "ui/dialog_theme_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"
#include "ui/theme_win.h"
#include "ui/viewer_win.h"

std::atomic<int> g_liveExportJobs{0};
std::atomic<int> g_liveExportResults{0};
ExportHooks g_exportHooks;

namespace {
constexpr int kProgressTemplate = 1220;
constexpr int kMissingTemplate = 1299;  // no such template: the window cannot be created
constexpr int kTemplateButton = 1223;


DWORD WINAPI JobThread(void* param) {
  // The worker's own reference: the job outlives the window and the starting routine.
  std::unique_ptr<std::shared_ptr<ExportJob>> ref(static_cast<std::shared_ptr<ExportJob>*>(param));
  ExportJob& job = **ref;
  job.work(job);
  return 0;
}

struct ProgressState {
  ExportJob* job = nullptr;
  ProgressKind kind = ProgressKind::Export;
  bool cancelRequested = false;
  bool finalizing = false;  // a PDF worker is writing the end of its file
  bool pressed = false;
  bool enabled = true;
  bool trackingLeave = false;
  Brush back;
  Font statusFont;
  Font buttonFont;
  std::u16string status;
  RECT button{};
  uint64_t lastPaint = 0;
};

ProgressState* StateOf(HWND dialog) { return reinterpret_cast<ProgressState*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

Font MakeUiFont(HWND dialog) {
  HDC dc = GetDC(dialog);
  int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(dialog, dc);
  return UiFont(height);
}

void Repaint(HWND dialog) {
  InvalidateRect(dialog, nullptr, FALSE);
  UpdateWindow(dialog);
}

void SetStatus(HWND dialog, ProgressState& s, std::u16string text) {
  s.status = std::move(text);
  if (g_exportHooks.progressText) g_exportHooks.progressText(s.status);
  // Painting costs far more than a worker needs between two of its messages; painting every
  // one of them would hold the done message back. The text is kept current, and painted at
  // once when the last paint is old enough, otherwise when the queue is idle.
  const uint64_t now = GetTickCount64();
  if (now - s.lastPaint >= 30) {
    Repaint(dialog);
    s.lastPaint = now;
  } else {
    InvalidateRect(dialog, nullptr, FALSE);
  }
}

void InitProgress(HWND dialog, ExportJob* job, ProgressKind kind) {
  auto* s = new ProgressState;
  s->job = job;
  s->kind = kind;
  s->status = kind == ProgressKind::Rtf       ? u"Preparing RTF..."
              : kind == ProgressKind::Preview ? u"Preparing Print Preview..."
                                              : u"Preparing...";
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
  const ColorPalette& p = GetColorPalette();
  s->back.reset(CreateSolidBrush(p.dialogBack));
  s->statusFont = MakeUiFont(dialog);
  if (kind != ProgressKind::Rtf) s->buttonFont = MakeUiFont(dialog);
  if (HWND own = GetDlgItem(dialog, kTemplateButton)) ShowWindow(own, SW_HIDE);
  RECT units{0, 0, 70, 14};
  MapDialogRect(dialog, &units);
  RECT client;
  GetClientRect(dialog, &client);
  int w = units.right, h = units.bottom;
  s->button.left = (client.right - w) / 2;
  s->button.right = s->button.left + w;
  s->button.bottom = client.bottom - 10;
  s->button.top = s->button.bottom - h;
  if (kind == ProgressKind::Rtf) SetWindowTextW(dialog, L"Norvo - RTF Export");
  else if (!job->caption.empty()) SetWindowTextW(dialog, W(job->caption));
  if (g_exportHooks.progressText) g_exportHooks.progressText(s->status);
  job->progressWindow = dialog;
  job->startTick = GetTickCount64();
  if (g_exportHooks.progressWindow) g_exportHooks.progressWindow(dialog);
  if (kind == ProgressKind::Rtf) PostMessageW(dialog, WMU_RTF_READY, 0, 0);  // the worker starts once we are on screen
  else SetEvent(job->readyEvent.get());
  SetTitleBarDarkAttribute(dialog, p.isDark);
  CentreOverOwner(dialog);
}

void Paint(HWND dialog, ProgressState& s) {
  PaintScope paint(dialog);
  RECT client;
  GetClientRect(dialog, &client);
  MemoryDc mem(paint.dc());
  Bitmap bitmap(CreateCompatibleBitmap(paint.dc(), client.right, client.bottom));
  if (!mem || !bitmap) return;
  SelectionGuard keepBitmap(mem.get(), bitmap.get());
  HDC dc = mem.get();
  const ColorPalette& p = GetColorPalette();
  FillRect(dc, &client, s.back.get());

  SetBkMode(dc, TRANSPARENT);
  {
    SelectionGuard f(dc, s.statusFont.get());
    SetTextColor(dc, p.dialogText);
    RECT r{client.left + 14, client.top + 10, client.right - 14, s.button.top - 8};
    RECT measure = r;
    DrawTextW(dc, W(s.status), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    int spare = (r.bottom - r.top) - (measure.bottom - measure.top);
    if (spare > 0) r.top += spare / 2;
    DrawTextW(dc, W(s.status), -1, &r, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
  }
  const bool pressedLook = s.pressed && s.enabled;
  {
    Brush face(CreateSolidBrush(pressedLook ? p.itemHoverBack : p.itemBack));
    Pen border(CreatePen(PS_SOLID, 1, p.itemBorder));
    SelectionGuard b(dc, face.get());
    SelectionGuard o(dc, border.get());
    RoundRect(dc, s.button.left, s.button.top, s.button.right, s.button.bottom, 6, 6);
  }
  {
    SelectionGuard f(dc, (s.kind == ProgressKind::Rtf ? s.statusFont : s.buttonFont).get());
    SetTextColor(dc, !s.enabled ? p.mutedText : (s.pressed ? p.itemHoverText : p.itemText));
    RECT r = s.button;
    if (s.pressed) OffsetRect(&r, 0, 1);
    DrawTextW(dc, L"Cancel", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  BitBlt(paint.dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void RequestCancel(HWND dialog, ProgressState& s) {
  if (!s.enabled) return;  // disabled is final
  s.enabled = false;
  s.cancelRequested = true;
  s.job->Cancel();
  if (s.job->dataReadyEvent) SetEvent(s.job->dataReadyEvent.get());  // a worker waiting for lines wakes up
  SetStatus(dialog, s, u"Cancelling...");
}

bool InButton(const ProgressState& s, LPARAM lParam) {
  POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&s.button, pt) != 0;
}

// A PDF job's end: the file is kept only when the worker finished and Cancel was not pressed
// (also not while the end of the file was being written); the main window hears the result.
void FinishPdf(HWND dialog, ProgressState& s, WPARAM wParam) {
  ExportJob& job = *s.job;
  const uint64_t elapsed = GetTickCount64() - job.startTick.load();
  bool kept = wParam != 0 && !s.cancelRequested;
  if (job.settle) kept = job.settle(kept) && kept;
  job.succeeded = kept;
  // Not kept though nobody cancelled: the file could not be made (told once the window is gone).
  if (!kept && !s.cancelRequested) job.writeFailed = true;
  if (job.ownerWindow) PostMessageW(job.ownerWindow, WMU_PDF_DONE, kept ? 1 : 0, static_cast<LPARAM>(elapsed));
  EndDialog(dialog, kept ? 1 : 2);
}

INT_PTR PdfMessage(HWND dialog, ProgressState& s, UINT msg, WPARAM wParam) {
  switch (msg) {
    case WMU_PDF_NEED_LINES:
      if (s.cancelRequested) {
        SetEvent(s.job->cancelEvent.get());
      } else {
        if (s.job->collect) s.job->collect();
        SetEvent(s.job->dataReadyEvent.get());
      }
      return TRUE;
    case WMU_PDF_PROGRESS:
      if (!s.cancelRequested)
        SetStatus(dialog, s, u"Exporting page " + DecimalText(static_cast<unsigned long long>(wParam)) + u"...");
      return TRUE;
    case WMU_PDF_FINALIZING:
      s.finalizing = true;
      if (!s.cancelRequested)
        SetStatus(dialog, s,
                  u"Please wait, finalizing PDF file...\nThis may take a while depending on file size.\nClick Cancel "
                  u"to discard the export.");
      return TRUE;
    case WMU_PDF_DONE:
      FinishPdf(dialog, s, wParam);
      return TRUE;
  }
  return FALSE;
}

void Finish(HWND dialog, ProgressState& s, WPARAM wParam) {
  ExportJob& job = *s.job;
  uint64_t elapsed = GetTickCount64() - job.startTick.load();
  job.succeeded = wParam != 0;
  if (s.kind == ProgressKind::Export) {
    if (!job.openWhenDone) {
      auto* result = new ExportResult;
      result->outputPath = job.outputPath;
      result->elapsedMs = elapsed;
      if (!job.ownerWindow ||
          !PostMessageW(job.ownerWindow, WMU_EXPORT_DONE, wParam, reinterpret_cast<LPARAM>(result)))
        delete result;
    } else if (wParam != 0) {
      std::u16string text = u"MD exported successfully.\n\nLines: " + DecimalText(static_cast<unsigned>(job.totalLines)) +
                            u"\nExport time: " + FormatElapsedTime(elapsed);
      ShowMessageBox(dialog, Ok, u"Norvo - MD Export", text);
    }
  }
  EndDialog(dialog, wParam != 0 ? 1 : 2);
}

INT_PTR ProgressProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, ProgressKind kind) {
  if (msg == WM_INITDIALOG) {
    InitProgress(dialog, reinterpret_cast<ExportJob*>(lParam), kind);
    return TRUE;
  }
  ProgressState* s = StateOf(dialog);
  if (!s) return FALSE;
  switch (msg) {
    case WM_ERASEBKGND:
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_PAINT:
      Paint(dialog, *s);
      return TRUE;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(dialog, &pt);
        bool hand = s->enabled && PtInRect(&s->button, pt);
        SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_LBUTTONDOWN:
      if (s->enabled && InButton(*s, lParam)) {
        s->pressed = true;
        SetCapture(dialog);
        Repaint(dialog);
      }
      return TRUE;
    case WM_LBUTTONUP: {
      bool wasPressed = s->pressed;
      ReleaseCapture();
      if (wasPressed) {
        s->pressed = false;
        if (InButton(*s, lParam) && s->enabled) RequestCancel(dialog, *s);
        else Repaint(dialog);
      }
      return TRUE;
    }
    case WM_MOUSEMOVE:
      if (!s->trackingLeave) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, dialog, 0};
        s->trackingLeave = TrackMouseEvent(&tme) != FALSE;
      }
      return TRUE;
    case WM_MOUSELEAVE:
      s->trackingLeave = false;
      if (s->pressed) {
        s->pressed = false;
        Repaint(dialog);
      }
      return TRUE;
    case WM_COMMAND:
      // Escape and the close box ask for a cancel; the window closes only when the worker is done.
      if (LOWORD(wParam) == IDCANCEL) RequestCancel(dialog, *s);
      return TRUE;
    case WM_CLOSE:
      if (s->kind != ProgressKind::Pdf) RequestCancel(dialog, *s);  // a PDF window ignores its close box
      return TRUE;
    case WM_DESTROY:
      SetWindowLongPtrW(dialog, DWLP_USER, 0);
      delete s;
      return TRUE;
    default:
      break;
  }
  if (kind == ProgressKind::Pdf) return PdfMessage(dialog, *s, msg, wParam);
  if (kind == ProgressKind::Preview) {
    if (msg == WMU_PREVIEW_PROGRESS) {
      if (!s->cancelRequested) SetStatus(dialog, *s, PreviewProgressText(wParam, static_cast<int64_t>(lParam)));
      return TRUE;
    }
    if (msg == WMU_PREVIEW_DONE) {
      s->job->succeeded = wParam > 0 && !s->cancelRequested;
      EndDialog(dialog, s->job->succeeded ? 1 : 2);
      return TRUE;
    }
    return FALSE;
  }
  if (kind == ProgressKind::Export) {
    if (msg == WMU_EXPORT_PROGRESS) {
      SetStatus(dialog, *s, ExportProgressText(wParam, s->job->totalLines));
      return TRUE;
    }
    if (msg == WMU_EXPORT_DONE) {
      Finish(dialog, *s, wParam);
      return TRUE;
    }
  } else {
    if (msg == WMU_RTF_READY) {
      SetEvent(s->job->readyEvent.get());
      return TRUE;
    }
    if (msg == WMU_RTF_PROGRESS) {
      SetStatus(dialog, *s, RtfProgressText(static_cast<int64_t>(static_cast<INT_PTR>(wParam))));
      return TRUE;
    }
    if (msg == WMU_RTF_DONE) {
      Finish(dialog, *s, static_cast<INT_PTR>(wParam) > 0 ? 1 : 0);
      return TRUE;
    }
  }
  return FALSE;
}
}  // namespace

ExportJob::ExportJob() { ++g_liveExportJobs; }
ExportJob::~ExportJob() { --g_liveExportJobs; }

void ExportJob::WaitReady(DWORD timeoutMs) { WaitForSingleObject(readyEvent.get(), timeoutMs); }

void ExportJob::Cancel() {
  cancelRequested = true;
  SetEvent(cancelEvent.get());
}

void ExportJob::Post(UINT msg, WPARAM wParam, LPARAM lParam) const {
  HWND window = progressWindow.load();
  if (window && IsWindow(window)) PostMessageW(window, msg, wParam, lParam);
}

ExportResult::ExportResult() { ++g_liveExportResults; }
ExportResult::~ExportResult() { --g_liveExportResults; }

INT_PTR CALLBACK ExportProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ProgressProc(dialog, msg, wParam, lParam, ProgressKind::Export);
}

INT_PTR CALLBACK RtfProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ProgressProc(dialog, msg, wParam, lParam, ProgressKind::Rtf);
}

INT_PTR CALLBACK PdfProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ProgressProc(dialog, msg, wParam, lParam, ProgressKind::Pdf);
}

INT_PTR CALLBACK PreviewProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ProgressProc(dialog, msg, wParam, lParam, ProgressKind::Preview);
}

namespace {
DLGPROC ProcedureOf(ProgressKind kind) {
  switch (kind) {
    case ProgressKind::Rtf:
      return RtfProgressDialogProc;
    case ProgressKind::Pdf:
      return PdfProgressDialogProc;
    case ProgressKind::Preview:
      return PreviewProgressDialogProc;
    default:
      return ExportProgressDialogProc;
  }
}
}  // namespace

bool RunExportJob(const std::shared_ptr<ExportJob>& job, ProgressKind kind, const char16_t* failureTitle,
                  const char16_t* eventsFailure) {
  job->cancelEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  job->readyEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!job->cancelEvent || !job->readyEvent) {
    ShowMessageBox(job->ownerWindow, Ok, failureTitle, eventsFailure);
    return false;
  }
  auto* workerRef = new std::shared_ptr<ExportJob>(job);
  // The worker holds its own reference to the job; its thread handle is not needed.
  UniqueHandle thread(CreateThread(nullptr, 0, JobThread, workerRef, 0, nullptr));
  if (!thread) {
    delete workerRef;
    ShowMessageBox(job->ownerWindow, Ok, failureTitle,
                   kind == ProgressKind::Preview ? u"Failed to start Print Preview worker thread." : u"Failed to start export thread.");
    return false;
  }
  thread.reset();
  INT_PTR shown = DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(g_exportHooks.progressWindowFails ? kMissingTemplate : kProgressTemplate),
                                  job->ownerWindow, ProcedureOf(kind),
                                  reinterpret_cast<LPARAM>(job.get()));
  if (shown != 1 && shown != 2) {
    // No window to report to: stop the worker; it ends on its own reference and leaves no file.
    job->Cancel();
    SetEvent(job->readyEvent.get());
    return false;
  }
  return job->succeeded;
}

void OpenInBrowser(HWND owner, const std::u16string& path) {
  if (path.empty()) return;
  if (!ShellOpen(owner, path)) LaunchViewerProcess(owner, path);
}

void OnExportDone(HWND owner, WPARAM wParam, LPARAM lParam) {
  std::unique_ptr<ExportResult> result(reinterpret_cast<ExportResult*>(lParam));
  if (wParam == 0 || !result) return;
  std::u16string text = u"HTML exported successfully.\n\nExport time:  " + FormatElapsedTime(result->elapsedMs) +
                        u"\n\nOpen in browser?";
  if (ShowMessageBox(owner, YesNo, u"Norvo - HTML Export", text) == ResultYes) OpenInBrowser(owner, result->outputPath);
}

void DiscardPendingExportNotices(HWND owner) {
  MSG msg;
  while (PeekMessageW(&msg, owner, WMU_EXPORT_DONE, WMU_EXPORT_DONE, PM_REMOVE))
    delete reinterpret_cast<ExportResult*>(msg.lParam);
}

void OnPdfDone(HWND owner, WPARAM wParam, LPARAM lParam) {
  if (wParam == 0) return;
  ShowMessageBox(owner, Ok, u"Norvo - PDF Export",
                 u"PDF exported successfully.\n\nExport time:  " + FormatElapsedTime(static_cast<uint64_t>(lParam)));
}


RECT ProgressButtonRect(HWND progressWindow) {
  ProgressState* s = StateOf(progressWindow);
  return s ? s->button : RECT{};
}

