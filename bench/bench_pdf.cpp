// The PDF figures: the export of a source file (or a Markdown document, typeset) from the call to the complete file, and the
// program's writer alone drawing the same lines, with the size of what it embeds.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench.h"
#include "common/utf.h"
#include "document/file_commands_win.h"
#include "files_win.h"
#include "print/pdf_canvas.h"
#include "print/pdf_export_win.h"
#include "print/pdf_layout.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/ui_hooks_win.h"

namespace {
std::u16string g_out;
std::u16string AnswerPath(const std::u16string&) { return g_out; }
int GoOn(HWND, int, const std::u16string&, const std::u16string&) { return ResultYes; }

// The largest compressed font file the PDF embeds, and how many there are.
size_t LargestFontFile(const std::string& pdf, int* count) {
  size_t largest = 0;
  *count = 0;
  for (size_t at = pdf.find("/Length1 "); at != std::string::npos; at = pdf.find("/Length1 ", at + 1)) {
    const size_t length = pdf.find("/Length ", at);
    if (length == std::string::npos) break;
    largest = std::max<size_t>(largest, std::stoull(pdf.substr(length + 8, 12)));
    ++*count;
  }
  return largest;
}

int PageCount(const std::string& pdf) {
  const size_t at = pdf.rfind("/Count ");
  return at == std::string::npos ? 0 : std::stoi(pdf.substr(at + 7, 12));
}

// The writer alone: the document's lines drawn page after page in one face into memory.
double WriterAlone(const std::vector<std::u16string>& lines, int* pages, size_t* bytes) {
  std::string out;
  PdfCanvas canvas([&out](std::string_view b) { out += b; return true; }, g_pdfHooks.fonts);
  const PageGeometry page = canvas.Geometry();
  const SourcePageLayout layout = SourceLayoutFor(page);
  const double start = Now();
  const int font = canvas.MakeFont({u"Consolas", -MulDiv(11, page.dpiY, 72), false, false});
  canvas.SelectFont(font);
  const int step = canvas.TextHeight() + 2;
  int y = layout.top;
  bool open = false;
  for (const std::u16string& line : lines) {
    if (!open || y + step > layout.textBottom) {
      if (open) canvas.EndPage();
      open = canvas.StartPage();
      y = layout.top;
    }
    canvas.PlaceText(layout.left, y, line);
    y += step;
  }
  canvas.EndPage();
  canvas.Finish();
  *pages = canvas.PageCount();
  *bytes = out.size();
  return Now() - start;
}
}  // namespace

int MeasurePdf(const std::u16string& sourcePath, const std::u16string& outPath) {
  HWND window = nullptr;
  if (!StartEditor(&window) || !OpenDocumentPath(window, sourcePath)) return 1;
  g_uiHooks.messageBox = GoOn;
  g_out = outPath;
  g_pdfHooks.savePath = AnswerPath;
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const double start = Now();
    if (!ExportPdf(window)) return 1;
    best = std::min(best, Now() - start);
  }
  const std::string pdf = ReadBytes(outPath);
  const int pages = PageCount(pdf);
  int faces = 0;
  const size_t font = LargestFontFile(pdf, &faces);

  std::vector<std::u16string> lines;
  const std::u16string text = Utf8ToUtf16(GetDocumentText());
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(u'\n', at);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  int writerPages = 0;
  size_t writerBytes = 0;
  double writer = 1e9;
  for (int i = 0; i < 3; ++i) writer = std::min(writer, WriterAlone(lines, &writerPages, &writerBytes));
  std::printf("pdf      %s %lld lines | from the call to the complete file %.3f s, %d pages (%.0f pages/s), %.0f KB, "
              "%d faces, largest font file %.1f KB | writer alone %d pages in %.3f s (%.0f pages/s), %.0f KB\n",
              Utf16ToUtf8(sourcePath.substr(sourcePath.find_last_of(u"\\/") + 1)).c_str(),
              static_cast<long long>(lines.size()), best, pages, pages / best, pdf.size() / 1024.0, faces,
              font / 1024.0, writerPages, writer, writerPages / writer, writerBytes / 1024.0);
  DestroyWindow(window);
  return 0;
}
