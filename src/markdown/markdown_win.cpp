#include "markdown/markdown_win.h"

#include <atomic>
#include <memory>

#include "common/messages.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "export/export_logic.h"
#include "export/export_win.h"
#include "markdown/markdown_hooks_win.h"
#include "markdown/markdown_html.h"
#include "settings/settings_win.h"
#include "settings/theme.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/viewer_win.h"

namespace {
constexpr const char16_t* kMdTitle = u"Norvo - MD Export";
constexpr int kPreviewLineLimit = 30'000;

// What the render thread works on. The supervisor and the render thread share only the two
// flags; the record lives until both have let go of it.
struct MarkdownRender {
  std::u16string text;
  MarkdownPageStyle style;
  std::atomic<int> done{0};
  std::atomic<int> result{0};
};

struct RenderThreadArgs {
  std::shared_ptr<ExportJob> job;
  std::shared_ptr<MarkdownRender> render;
};

DWORD WINAPI MarkdownRenderThread(void* param) {
  std::unique_ptr<RenderThreadArgs> args(static_cast<RenderThreadArgs*>(param));
  if (g_markdownHooks.renderGate) g_markdownHooks.renderGate();
  bool writeFailed = false;
  bool ok = RenderMarkdownToHtml(args->job->outputPath, args->render->text, args->render->style, &writeFailed);
  if (writeFailed) args->job->writeFailed = true;
  args->render->result.exchange(ok ? 1 : 0);
  args->render->done.exchange(1);
  return 0;
}

void MarkdownExportSupervisor(ExportJob& job, const std::shared_ptr<MarkdownRender>& render) {
  job.WaitReady(3000);
  if (job.Cancelled()) {
    job.Post(WMU_EXPORT_DONE, 0);
    return;
  }
  job.Post(WMU_EXPORT_PROGRESS, 1);
  auto* args = new RenderThreadArgs{job.shared_from_this(), render};
  UniqueHandle thread(CreateThread(nullptr, 0, MarkdownRenderThread, args, 0, nullptr));
  if (!thread) {
    delete args;
    job.Post(WMU_EXPORT_DONE, 0);
    return;
  }
  MarkdownProgress progress(job.totalLines);
  bool cancelled = false;
  while (!render->done.load()) {
    int64_t posts[2];
    int count = progress.Tick(posts);
    for (int i = 0; i < count; ++i) job.Post(WMU_EXPORT_PROGRESS, static_cast<WPARAM>(posts[i]));
    // One tick of 80 ms; the end of the render or a cancel cuts it short.
    HANDLE waits[2] = {thread.get(), job.cancelEvent.get()};
    DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 80);
    if (woke == WAIT_OBJECT_0 + 1 || job.Cancelled()) {
      cancelled = !render->done.load();
      break;
    }
  }
  if (cancelled) {
    // The render is not interrupted; it holds its own references and may still finish the file.
    WaitForSingleObject(thread.get(), g_markdownHooks.cancelWaitMs);
    job.Post(WMU_EXPORT_DONE, 0);
    return;
  }
  WaitForSingleObject(thread.get(), INFINITE);
  const bool ok = render->result.load() != 0;
  if (ok) job.Post(WMU_EXPORT_PROGRESS, static_cast<WPARAM>(job.totalLines > 1 ? job.totalLines : 1));
  job.succeeded = ok;
  job.Post(WMU_EXPORT_DONE, ok ? 1 : 0);
}
}  // namespace

MarkdownPageStyle CurrentMarkdownStyle() {
  MarkdownPageStyle style;
  style.title = DocumentNameOf(g_doc.path);
  BodyFont font = PickBodyFont(g_live.fontName, g_live.fontSize);
  style.fontFace = font.face;
  style.fontSize = font.size;
  SetMarkdownColours(style, PaletteForTheme(g_live.themeId));
  return style;
}

bool RenderMarkdownToHtml(const std::u16string& outputPath, const std::u16string& text, const MarkdownPageStyle& style,
                          bool* writeFailed) {
  if (text.empty()) return false;
  std::string page = RenderMarkdownPage(text, style);
  if (WriteWholeFile(outputPath, page.data(), page.size()) == WriteResult::Written) return true;
  if (writeFailed) *writeFailed = true;
  return false;
}

bool ExportMarkdown(HWND owner, const std::u16string& outputPath) {
  auto job = std::make_shared<ExportJob>();
  job->totalLines = static_cast<int>(Sci(SCI_GETLINECOUNT));
  job->outputPath = outputPath;
  if (outputPath.empty()) {
    std::u16string path = MakeTempPdfPath();
    if (path.size() > 4) path.replace(path.size() - 4, 4, u".html");
    if (path.empty()) {
      ShowMessageBox(owner, Ok, kMdTitle, u"Failed to determine output path.");
      return false;
    }
    job->outputPath = path;
    job->openWhenDone = true;
  }
  auto render = std::make_shared<MarkdownRender>();
  render->text = Utf8ToUtf16(GetDocumentText());
  render->style = CurrentMarkdownStyle();
  job->ownerWindow = owner;
  job->editorWindow = GetDlgItem(owner, 1);
  job->documentName = DocumentNameOf(g_doc.path);
  job->caption = kMdTitle;
  job->work = [render](ExportJob& j) { MarkdownExportSupervisor(j, render); };
  const bool ok = RunExportJob(job, ProgressKind::Export, kMdTitle, u"Failed to create sync events.");
  if (job->writeFailed) ShowMessageBox(owner, Ok, kMdTitle, u"Cannot write file.\n\n" + job->outputPath);
  if (ok && job->openWhenDone) OpenInBrowser(owner, job->outputPath);
  return ok;
}

void ShowMarkdownPreview(HWND owner) {
  const int lines = static_cast<int>(Sci(SCI_GETLINECOUNT));
  if (lines <= kPreviewLineLimit) {
    ExportMarkdown(owner, u"");
    return;
  }
  std::u16string question = u"This Markdown file has ~" + DecimalText(static_cast<unsigned>(lines)) +
                            u" lines.\n\nFull Markdown preview would be slow.\nOpen as plain text in Norvo Viewer instead?";
  if (ShowMessageBox(owner, YesNo, u"Norvo - MD Preview", question.substr(0, 255)) == ResultYes)
    OpenDocumentInViewer(owner);
}

MarkdownHooks g_markdownHooks;
