// The PDF export of the document's source text, syntax-coloured, wrapped and paginated with page
// numbers, written by the program's own PDF writer.
#pragma once
#include <string>

#include "common/win.h"
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
};
// StartPage of page `number`, failing where the hook says.
bool StartPdfPage(PageSurface& surface, int number);
extern PdfHooks g_pdfHooks;
