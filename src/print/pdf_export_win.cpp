// The PDF export of source text: the checks and questions, the save dialog, the style snapshot,
// and the job whose worker lays out and draws the pages while the user-interface thread hands
// it the document in batches of 300 styled lines.
#include "common/win.h"  // before the other system headers

#include "print/pdf_export_win.h"

#include <commdlg.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/file_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "export/export_logic.h"
#include "export/export_win.h"
#include "print/font_source_win.h"
#include "print/pdf_canvas.h"
#include "print/pdf_layout.h"
#include "print/printer_surface_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"

namespace {
constexpr const char16_t* kPdfTitle = u"Norvo - PDF Export";
constexpr int kBatchLines = 300;

// What the worker and the user-interface thread share besides the job. The batch is handed over
// through the job's events: the window fills it and sets dataReadyEvent, and only then does the
// worker take it.
struct PdfSource {
  HWND editor = nullptr;
  PdfStyleTable styles;
  std::u16string fontName;
  int fontSize = 11;
  int totalLines = 0;
  int nextLine = 0;
  std::vector<StyledLine> batch;
  bool lastBatch = false;
  PdfOutput output;
  explicit PdfSource(const std::u16string& path) : output(path) {}
};

PdfStyleTable SnapshotStyles() {
  PdfStyleTable table;
  if (Sci(SCI_GETLEXER) == 0) return table;  // plain text prints black
  for (int s = 0; s < 128; ++s) {
    table.colour[s] = s == STYLE_DEFAULT ? 0 : PrintColor(static_cast<uint32_t>(Sci(SCI_STYLEGETFORE, s)));
    table.bold[s] = Sci(SCI_STYLEGETBOLD, s) != 0;
    table.italic[s] = Sci(SCI_STYLEGETITALIC, s) != 0;
  }
  return table;
}

// On the user-interface thread: the next batch of lines from the edit control.
void CollectStyledLines(PdfSource& src) {
  src.batch.clear();
  const int from = src.nextLine;
  int to = from + kBatchLines;
  src.lastBatch = to >= src.totalLines;
  if (src.lastBatch) to = src.totalLines;
  // Styles are only known for what the control has lexed: the batch is lexed first, or lines
  // below the first screen would come out uncoloured.
  Sci(SCI_COLOURISE, static_cast<uptr_t>(Sci(SCI_POSITIONFROMLINE, static_cast<uptr_t>(from))),
      Sci(SCI_POSITIONFROMLINE, static_cast<uptr_t>(to)));
  std::string pairs;
  for (int line = from; line < to; ++line) {
    const sptr_t length = std::max<sptr_t>(0, Sci(SCI_LINELENGTH, static_cast<uptr_t>(line)));
    if (length == 0) {
      src.batch.emplace_back();
      continue;
    }
    const sptr_t start = Sci(SCI_POSITIONFROMLINE, static_cast<uptr_t>(line));
    pairs.assign(2 * static_cast<size_t>(length) + 2, '\0');
    Sci_TextRange range{{static_cast<Sci_PositionCR>(start), static_cast<Sci_PositionCR>(start + length)}, pairs.data()};
    Sci(SCI_GETSTYLEDTEXT, 0, &range);
    src.batch.push_back(RunsFromStyledBytes(pairs.data(), static_cast<size_t>(length), src.styles));
  }
  src.nextLine = to;
}

// The worker's pages: fonts, the batch loop, wrapping, page breaks and footers.
class SourcePages {
 public:
  SourcePages(ExportJob& job, PdfSource& src, PageSurface& surface)
      : job_(job), src_(src), surface_(surface), layout_(SourceLayoutFor(surface.Geometry())) {}

  // True when finished; false when cancelled, timed out or failed.
  bool Run() {
    const PageGeometry page = surface_.Geometry();
    const int height = -MulDiv(src_.fontSize, page.dpiY, 72);
    for (int v = 0; v < 4; ++v) {
      fonts_[v] = surface_.MakeFont({src_.fontName, height, v >= 2, (v & 1) != 0, true});
      if (!fonts_[v]) return false;
    }
    footer_ = surface_.MakeFont({src_.fontName, -MulDiv(std::max(1, src_.fontSize - 2), page.dpiY, 72), false, false});
    if (!footer_) return false;
    surface_.SelectFont(fonts_[0]);
    lineHeight_ = surface_.TextHeight() + 2;
    if (!StartPdfPage(surface_, 1)) return false;
    y_ = layout_.top;
    for (;;) {
      if (job_.Cancelled()) return false;
      job_.Post(WMU_PDF_NEED_LINES, 0);
      HANDLE waits[2] = {job_.dataReadyEvent.get(), job_.cancelEvent.get()};
      if (WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0 || job_.Cancelled()) return false;
      std::vector<StyledLine> batch = std::move(src_.batch);
      const bool last = src_.lastBatch;
      for (const StyledLine& line : batch) {
        if (job_.Cancelled() || !DrawLine(line)) return false;
      }
      if (last) break;
    }
    DrawFooter();
    if (!surface_.EndPage()) return false;
    job_.Post(WMU_PDF_PROGRESS, static_cast<WPARAM>(page_));
    return true;
  }

 private:
  int Measure(const StyledRun& look, std::u16string_view piece) {
    surface_.SelectFont(fonts_[(look.bold ? 2 : 0) + (look.italic ? 1 : 0)]);
    return surface_.Measure(piece);
  }

  bool DrawLine(const StyledLine& line) {
    const MeasureRun measure = [this](const StyledRun& look, std::u16string_view piece) { return Measure(look, piece); };
    for (const StyledLine& visual : WrapStyledLine(line, layout_.textWidth, measure)) {
      if (y_ + lineHeight_ > layout_.textBottom && !NextPage()) return false;
      int x = layout_.left;
      for (const StyledRun& segment : visual) {
        const int width = Measure(segment, segment.text);
        surface_.SetTextColour(segment.colour);
        surface_.PlaceText(x, y_, segment.text);
        x += width;
      }
      y_ += lineHeight_;
    }
    return true;
  }

  // A page that fails to start ends the export as a failure.
  bool NextPage() {
    DrawFooter();
    if (!surface_.EndPage()) return false;
    job_.Post(WMU_PDF_PROGRESS, static_cast<WPARAM>(page_));
    if (!StartPdfPage(surface_, page_ + 1)) return false;
    ++page_;
    y_ = layout_.top;
    return true;
  }

  void DrawFooter() {
    const std::u16string text = PageFooter(page_);
    surface_.SelectFont(footer_);
    surface_.SetTextColour(0x808080);
    surface_.PlaceText(layout_.left + (layout_.textWidth - surface_.Measure(text)) / 2, layout_.footerY, text);
  }

  ExportJob& job_;
  PdfSource& src_;
  PageSurface& surface_;
  SourcePageLayout layout_;
  int fonts_[4] = {};
  int footer_ = 0;
  int lineHeight_ = 0;
  int page_ = 1;
  int y_ = 0;
};

// The system's PDF printer when it is installed, else the program's own writer.
std::unique_ptr<PageSurface> OpenPdfSurface(ExportJob& job, PdfOutput& output) {
  if (PrinterInstalled(g_pdfHooks.printer)) {
    output.toQueue = g_pdfHooks.printerToQueue;
    const std::u16string file = output.toQueue ? std::u16string() : output.file.HandOver();
    return PrinterSurface::Open(g_pdfHooks.printer, job.documentName, file, g_pdfHooks.printerDpi, job.cancelEvent.get());
  }
  return std::make_unique<PdfCanvas>([&output](std::string_view bytes) { return output.file.Write(bytes); },
                                     g_pdfHooks.fonts);
}

std::u16string AskPdfPath(HWND owner, const std::u16string& proposed, const wchar_t* title, const wchar_t* filter) {
  if (g_pdfHooks.savePath) return g_pdfHooks.savePath(proposed);
  wchar_t file[MAX_PATH] = {};
  proposed.substr(0, MAX_PATH - 1).copy(reinterpret_cast<char16_t*>(file), MAX_PATH - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = title;
  ofn.lpstrDefExt = L"pdf";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&ofn)) return {};
  return U16(file);
}

// The size questions; false when the user does not go on.
bool ConfirmSize(HWND owner, long long length, int lines) {
  const int pages = EstimatePdfPages(lines);
  if (length > 10'000'000) {
    return ShowMessageBox(owner, YesNo, kPdfTitle,
                          u"This file is very large (~" + DecimalText(static_cast<unsigned long long>(length / 1'000'000)) +
                              u" MB, ~" + DecimalText(static_cast<unsigned>(lines)) + u" lines).\nPDF export will create approximately " +
                              DecimalText(static_cast<unsigned>(pages)) +
                              u" pages\nand may take several minutes.\n\nFor large files, HTML export is faster and\nproduces "
                              u"a better result for on-screen viewing.\n\nContinue with PDF export anyway?") == ResultYes;
  }
  if (length > 1'000'000) {
    return ShowMessageBox(owner, YesNo, kPdfTitle,
                          u"This file will create approximately " + DecimalText(static_cast<unsigned>(pages)) +
                              u" pages.\nExport may take a while.\n\nContinue?") == ResultYes;
  }
  return true;
}
}  // namespace

PdfHooks g_pdfHooks;

void RunPdfWorker(ExportJob& job, PdfOutput& output, const std::function<bool(PageSurface&)>& drawPages) {
  job.WaitReady(5000);
  std::unique_ptr<PageSurface> surface;
  if (!job.Cancelled() && output.file.Opened()) surface = OpenPdfSurface(job, output);
  bool finished = false;
  if (surface && drawPages(*surface)) {
    job.Post(WMU_PDF_FINALIZING, 0);
    finished = surface->Finish();
  } else if (surface) {
    surface->Abort();
  }
  // The surface is gone before the window hears the end: the window then owns the file alone.
  surface.reset();
  job.Post(WMU_PDF_DONE, finished ? 1 : 0);
}

bool StartPdfPage(PageSurface& surface, int number) {
  if (g_pdfHooks.failingPage == number) return false;
  return surface.StartPage();
}

bool ExportPdf(HWND owner) {
  if (!g_shell.editor) {
    ShowMessageBox(owner, Ok, kPdfTitle, u"Scintilla handle is invalid.");
    return false;
  }
  if (!IsMarkdownPath(g_doc.path)) return ExportSourcePdf(owner);
  // A Markdown document is typeset: its name with ".pdf" for the extension is proposed.
  const std::u16string document = DocumentNameOf(g_doc.path);
  std::u16string proposed = document;
  if (size_t dot = proposed.rfind(u'.'); dot != std::u16string::npos) proposed.resize(dot);
  proposed += u".pdf";
  const std::u16string path = AskPdfPath(owner, proposed, L"Save PDF \u2014 Norvo", L"PDF Files\0*.pdf\0All Files\0*.*\0");
  if (path.empty()) return false;
  return ExportMarkdownPdf(owner, path, document);
}

bool ExportSourcePdf(HWND owner) {
  if (!g_shell.editor) {
    ShowMessageBox(owner, Ok, kPdfTitle, u"Scintilla handle is invalid.");
    return false;
  }
  const int lines = static_cast<int>(Sci(SCI_GETLINECOUNT));
  const long long length = Sci(SCI_GETLENGTH);
  if (lines == 0 || length == 0) {
    ShowMessageBox(owner, Ok, kPdfTitle, u"Nothing to export.");
    return false;
  }
  if (!ConfirmSize(owner, length, lines)) return false;
  std::u16string name = DocumentNameOf(g_doc.path);
  if (size_t dot = name.rfind(u'.'); dot != std::u16string::npos) name.resize(dot);
  const std::u16string path =
      AskPdfPath(owner, name, L"Export as PDF", L"PDF Files (*.pdf)\0*.pdf\0All Files (*.*)\0*.*\0");
  if (path.empty()) return false;

  auto src = std::make_shared<PdfSource>(path);
  src->editor = g_shell.editor;
  src->styles = SnapshotStyles();
  src->fontName = g_live.fontName;
  src->fontSize = g_live.fontSize;
  src->totalLines = lines;
  auto job = std::make_shared<ExportJob>();
  job->ownerWindow = owner;
  job->editorWindow = g_shell.editor;
  job->outputPath = path;
  job->documentName = DocumentNameOf(g_doc.path);
  job->totalLines = lines;
  job->dataReadyEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  job->collect = [src] { CollectStyledLines(*src); };
  job->settle = [src](bool keep) { return src->output.Settle(keep); };
  job->work = [src](ExportJob& j) {
    RunPdfWorker(j, src->output, [&j, &src](PageSurface& surface) { return SourcePages(j, *src, surface).Run(); });
  };
  if (!job->dataReadyEvent) {
    ShowMessageBox(owner, Ok, kPdfTitle, u"Failed to start export thread.");
    return false;
  }
  const bool written = RunExportJob(job, ProgressKind::Pdf, kPdfTitle, u"Failed to start export thread.");
  if (job->writeFailed) ShowMessageBox(owner, Ok, kPdfTitle, u"Cannot write file.\n\n" + path);
  return written;
}
