// Print Preview: the text snapshot, the pagination worker behind its progress window, then
// the preview window.
#include "common/win.h"  // before the other system headers

#include "print/preview_win.h"

#include <Scintilla.h>

#include <memory>
#include <string>
#include <vector>

#include "common/messages.h"
#include "common/utf.h"
#include "export/export_win.h"
#include "print/preview_state_win.h"
#include "print/print_render_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"

PreviewHooks g_previewHooks;

namespace {
constexpr const char16_t* kPreviewTitle = u"Norvo - Print Preview";
constexpr int kPreviewTemplate = 600;

// The worker's snapshot and what it hands back (read once the progress window has returned).
struct PreviewSource {
  std::u16string text;
  PageLayout layout;
  std::u16string face;
  int points = 11;
  std::vector<int> pageStarts;
  Bitmap firstPage;
};

void PaginationWorker(ExportJob& job, PreviewSource& src) {
  job.WaitReady(5000);
  if (job.Cancelled()) {
    job.Post(WMU_PREVIEW_DONE, 0);
    return;
  }
  const std::vector<std::u16string> lines = SplitTextLines(src.text);
  std::u16string().swap(src.text);
  HDC screen = GetDC(nullptr);
  MemoryDc dc(screen);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const Font body = MakeBodyFont(src.face, src.points, dpiY);
  SelectionGuard font(dc.get(), body.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  const int width = src.layout.TextWidth(), usable = src.layout.UsableHeight();
  PaginationHooks hooks;
  hooks.measure = [&](size_t i) { return WrappedLineHeight(dc.get(), lines[i], width, 10 * usable, metrics.tmHeight); };
  hooks.keepGoing = [&job] { return !job.Cancelled(); };
  hooks.onPage = [&job](int pages) { job.Post(WMU_PREVIEW_PROGRESS, static_cast<WPARAM>(pages), static_cast<LPARAM>(job.totalLines)); };
  src.pageStarts = PaginateLines(lines.size(), usable, hooks);
  if (job.Cancelled()) {
    job.Post(WMU_PREVIEW_DONE, 0);
    return;
  }
  job.Post(WMU_PREVIEW_PROGRESS, src.pageStarts.size(), static_cast<LPARAM>(job.totalLines));
  const PageLines first = LinesOfPage(src.pageStarts, 0, lines.size());
  src.firstPage = RenderPreviewPage(0, std::vector<std::u16string>(lines.begin() + static_cast<ptrdiff_t>(first.first),
                                                                   lines.begin() + static_cast<ptrdiff_t>(first.end)),
                                    src.layout, src.face, src.points);
  job.Post(WMU_PREVIEW_DONE, 1);
}

PageLayout ScreenPageLayout() {
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return PreviewPageLayout(dpiX, dpiY, g_settings.pageMargins, g_live.fontSize);
}
}  // namespace

void ShowPrintPreview(HWND owner) {
  if (!g_shell.editor || Sci(SCI_GETLENGTH) == 0) return;
  auto src = std::make_shared<PreviewSource>();
  src->text = Utf8ToUtf16(GetDocumentText());
  src->layout = ScreenPageLayout();
  src->face = g_live.fontName;
  src->points = g_live.fontSize;
  auto job = std::make_shared<ExportJob>();
  job->ownerWindow = owner;
  job->caption = kPreviewTitle;
  job->totalLines = static_cast<int>(Sci(SCI_GETLINECOUNT));
  job->work = [src](ExportJob& j) { PaginationWorker(j, *src); };
  if (!RunExportJob(job, ProgressKind::Preview, kPreviewTitle, u"Failed to start Print Preview worker thread.")) return;

  PreviewState state;
  state.owner = owner;
  state.pageStarts = std::move(src->pageStarts);
  state.page = std::move(src->firstPage);
  state.layout = src->layout;
  const INT_PTR shown = DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(kPreviewTemplate), owner, PreviewDialogProc,
                                        reinterpret_cast<LPARAM>(&state));
  if (shown == -1 || shown == 0) ShowMessageBox(owner, Ok, kPreviewTitle, u"Failed to open Print Preview dialog.");
}
