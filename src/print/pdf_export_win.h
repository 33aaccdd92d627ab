// The PDF export of the document's source text, syntax-coloured, wrapped and paginated with page
// numbers: printed to the system's PDF printer when it is installed, else written by the
// program's own PDF writer.
#pragma once
#include <functional>
#include <string>

#include "common/file_win.h"
#include "common/win.h"
#include "export/export_win.h"
#include "print/font_source_win.h"
#include "print/pdf_canvas.h"

// The Export dialog's PDF row: a Markdown document is typeset, anything else printed as
// highlighted source. True when the file was written.
bool ExportPdf(HWND owner);

// The source export: the checks and size questions, the save dialog, then the job under its
// progress window.
bool ExportSourcePdf(HWND owner);
// The Markdown export into `outputPath`; an empty document does nothing.
bool ExportMarkdownPdf(HWND owner, const std::u16string& outputPath, const std::u16string& documentName);

// Where tests step in: the fonts the writer embeds (the system's by default) and the save
// dialog's answer (empty: cancelled).
struct PdfHooks {
  FontSource fonts = SystemFontFile;
  std::u16string (*savePath)(const std::u16string& proposedName) = nullptr;
  // When not 0: starting this page (1 is the first) fails, as a printer's StartPage can.
  int failingPage = 0;
  // The printer that makes the PDF when it is installed. A test points it at a queue of its
  // own, which delivers the document itself (no output file), at the resolution it asks for.
  std::u16string printer = u"Microsoft Print to PDF";
  bool printerToQueue = false;
  int printerDpi = 0;
};
// Where a PDF job's pages go: a file beside the chosen one, put in its place when the job is
// kept, so an earlier file of that name survives a cancel or a failure.
struct PdfOutput {
  explicit PdfOutput(const std::u16string& path) : file(path) {}
  ReplacingFile file;
  bool toQueue = false;  // the printer's queue took the document: there is no file to put in place
  // On the user-interface thread once the worker is done: the file put in place, or gone at once.
  bool Settle(bool keep) {
    if (keep) return toQueue || file.Commit();
    file.Discard();
    return false;
  }
};
// The worker's frame of both PDF jobs: waits for the progress window, opens the surface, runs
// `drawPages` (false: failed or cancelled) and ends the job with WMU_PDF_FINALIZING and
// WMU_PDF_DONE.
void RunPdfWorker(ExportJob& job, PdfOutput& output, const std::function<bool(PageSurface&)>& drawPages);

// StartPage of page `number`, failing where the hook says.
bool StartPdfPage(PageSurface& surface, int number);
extern PdfHooks g_pdfHooks;
