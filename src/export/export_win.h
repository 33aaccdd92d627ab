// Long jobs (exports, previews): the job record shared by the starting routine, its worker
// thread and the modal progress window; the progress windows; the completion notices the
// main window receives; the export commands and the dialogs they share.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/file_win.h"
#include "common/handles_win.h"
#include "common/win.h"

struct ExportJob : std::enable_shared_from_this<ExportJob> {
  ExportJob();
  ~ExportJob();
  ExportJob(const ExportJob&) = delete;
  ExportJob& operator=(const ExportJob&) = delete;

  HWND ownerWindow = nullptr;
  HWND editorWindow = nullptr;
  std::u16string outputPath;
  std::u16string documentName;
  int totalLines = 0;
  UniqueHandle cancelEvent;
  UniqueHandle readyEvent;
  std::atomic<HWND> progressWindow{nullptr};
  std::atomic<uint64_t> startTick{0};
  std::atomic<bool> succeeded{false};
  // The output could not be written (told to the user once the window has closed).
  std::atomic<bool> writeFailed{false};
  bool openWhenDone = false;
  // The caption of the progress window.
  std::u16string caption;
  // What the worker thread runs. It owns the job's snapshot (captured by the function) and
  // must end with exactly one done message.
  std::function<void(ExportJob&)> work;

  // PDF jobs. The worker asks for lines with WMU_PDF_NEED_LINES; the progress window runs
  // `collect` on the user-interface thread and then sets dataReadyEvent. When the worker is
  // done, the window calls `settle` with whether the file is to be kept (the worker finished
  // and Cancel was not pressed); it returns whether the file is in place.
  UniqueHandle dataReadyEvent;
  std::function<void()> collect;
  std::function<bool(bool keep)> settle;

  // Worker side.
  // Waits for the progress window's hand-shake (a time-out is not an error).
  void WaitReady(DWORD timeoutMs);
  // Cheap enough to ask for every line: a flag set together with cancelEvent.
  bool Cancelled() const { return cancelRequested.load(std::memory_order_relaxed); }
  // The Cancel button's act: the flag, then the event for those who wait on it.
  void Cancel();
  std::atomic<bool> cancelRequested{false};
  // Posts to the progress window when there is one.
  void Post(UINT msg, WPARAM wParam, LPARAM lParam = 0) const;
};

// Which progress window serves a job.
enum class ProgressKind { Export, Rtf, Pdf, Preview };

// Creates the job's events, starts its worker and runs the progress window modally; returns
// the job's result. The worker holds its own reference, so the job and its snapshot live
// until the worker has posted its last message whatever happens to the window. Failures
// are reported under `failureTitle` with `eventsFailure` or "Failed to start export thread.".
bool RunExportJob(const std::shared_ptr<ExportJob>& job, ProgressKind kind, const char16_t* failureTitle,
                  const char16_t* eventsFailure);

INT_PTR CALLBACK ExportProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RtfProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PdfProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PreviewProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// The record of a completion notice; the main window frees it.
struct ExportResult {
  ExportResult();
  ~ExportResult();
  std::u16string outputPath;
  uint64_t elapsedMs = 0;
};

// The main window's handling of WMU_EXPORT_DONE (frees the record on every path) and
// WMU_PDF_DONE.
void OnExportDone(HWND owner, WPARAM wParam, LPARAM lParam);
void OnPdfDone(HWND owner, WPARAM wParam, LPARAM lParam);
// Frees the records of notices still queued when the main window goes away.
void DiscardPendingExportNotices(HWND owner);

// Opens a finished page in the browser, or in a viewer when nothing opens it.
void OpenInBrowser(HWND owner, const std::u16string& path);

// The exports.
bool ExportHtml(HWND owner, const std::string& text, const std::u16string& path);
bool ExportRtf(HWND owner, const std::string& text, const std::u16string& path);
bool ExportPlainText(HWND owner, const std::string& text, const std::u16string& path);
// The Export dialog: the chosen format id, or -1 when cancelled.
int ChooseExportFormat(HWND owner);
// The save dialog of an export, proposing the document's name with the format's extension;
// empty when cancelled.
std::u16string AskExportPath(HWND owner, int formatId);
// Asks (Yes/No) whether to open the document in the viewer instead, and does; true on Yes.
bool AskViewerInstead(HWND owner, const std::u16string& question);
// `before` + the decimal `n` (0 when negative) + `after`.
std::u16string TextWithNumber(const char16_t* before, long long n, const char16_t* after);

// The Cancel button of a progress window, in client pixels.
RECT ProgressButtonRect(HWND progressWindow);
