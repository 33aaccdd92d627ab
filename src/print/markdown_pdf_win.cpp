// The PDF of a Markdown document: laid out whole on the page device, then drawn page by page
// with list markers, quote bars, rules, heading underlines and page numbers.
#include "common/win.h"  // before the other system headers

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/file_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "export/export_win.h"
#include "markdown/markdown_html.h"
#include "print/markdown_pdf.h"
#include "print/pdf_canvas.h"
#include "print/pdf_export_win.h"
#include "print/pdf_layout.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"

namespace {

struct MarkdownPdfSource {
  std::u16string text;
  std::u16string face;
  int size = 10;
  uint32_t heading = 0, muted = 0, body = 0, rule = 0;  // print colours
  PdfOutput output;
  explicit MarkdownPdfSource(const std::u16string& path) : output(path) {}
};

class MarkdownPages {
 public:
  MarkdownPages(ExportJob& job, const MarkdownPdfSource& src, PageSurface& surface)
      : job_(job), src_(src), surface_(surface), page_(surface.Geometry()) {
    const int margin = MulDiv(20, page_.dpiX, 25);
    left_ = margin + page_.offsetX;
    right_ = page_.width - margin - page_.offsetX;
    top_ = margin + page_.offsetY;
    footerY_ = page_.height - margin - page_.offsetY - MulDiv(6, page_.dpiX, 25);
    bottom_ = footerY_ - MulDiv(4, page_.dpiX, 25);
  }

  // True when finished (also after a cancel at a page boundary: the window decides).
  bool Run() {
    const int body = Font(src_.face, src_.size, false, false);
    const int footer = Font(src_.face, std::max(1, src_.size - 2), false, false);
    if (!body || !footer) return false;
    surface_.SelectFont(body);
    const int baseHeight = surface_.TextHeight();
    const MeasureMdRun measure = [this](const MdRun& run, std::u16string_view token) {
      surface_.SelectFont(Font(run.face, run.size, run.bold, run.italic));
      return surface_.Measure(token);
    };
    const std::vector<MdLayoutLine> lines =
        BuildMarkdownLayout(src_.text, src_.face, src_.size, right_ - left_, page_.dpiX, baseHeight, measure);
    footer_ = footer;
    body_ = body;
    if (job_.Cancelled() || !StartPdfPage(surface_, 1)) return false;
    int y = top_;
    for (const MdLayoutLine& line : lines) {
      if (!DrawLine(line, y)) return job_.Cancelled();
    }
    DrawFooter();
    return surface_.EndPage();
  }

 private:
  int Font(const std::u16string& face, int points, bool bold, bool italic) {
    const std::u16string key = face + u'|' + DecimalText(static_cast<unsigned>(points)) + (bold ? u"b" : u"") + (italic ? u"i" : u"");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    const int font = surface_.MakeFont({face, -MulDiv(points, page_.dpiY, 72), bold, italic});
    fonts_[key] = font;
    return font;
  }

  int LineHeight(const MdLayoutLine& line) {
    surface_.SelectFont(body_);
    int height = surface_.TextHeight() + 2;
    for (const MdRun& run : line.runs) {
      surface_.SelectFont(Font(run.face, run.size, run.bold, run.italic));
      height = std::max(height, surface_.TextHeight() + 2);
    }
    return height;
  }

  // False when the document ends here: a page could not start, or Cancel was pressed.
  bool DrawLine(const MdLayoutLine& line, int& y) {
    const int unit = MulDiv(1, page_.dpiX, 25);
    if (line.kind == kMdEmpty) {
      surface_.SelectFont(body_);
      y += (surface_.TextHeight() + 2) / 2;
      return true;
    }
    if (line.isRule) {
      surface_.DrawLine(left_, y + 2 * unit, right_, y + 2 * unit, 1, src_.rule);
      y += 6 * unit;
      return true;
    }
    int y0 = y + line.spaceBefore;
    const int height = LineHeight(line);
    if (y0 + height > bottom_) {
      if (!NextPage()) return false;
      y0 = top_;
    }
    surface_.SelectFont(body_);
    surface_.SetTextColour(src_.heading);
    if (line.kind == kMdBullet) surface_.PlaceText(left_, y0, u"\u2022");
    if (line.kind == kMdNumbered) surface_.PlaceText(left_, y0, DecimalText(static_cast<unsigned>(line.number)) + u".");
    if (line.kind == kMdQuote) surface_.DrawLine(left_ + unit, y0, left_ + unit, y0 + height, unit, src_.rule);
    if (line.kind == kMdHeading1) surface_.DrawLine(left_, y0 + height + unit, right_, y0 + height + unit, 1, src_.rule);
    // Runs of different sizes (code spans, a bold heading's plain words) share one baseline.
    int ascent = 0;
    for (const MdRun& run : line.runs) {
      surface_.SelectFont(Font(run.face, run.size, run.bold, run.italic));
      ascent = std::max(ascent, surface_.Ascent());
    }
    int x = left_ + line.indent;
    for (const MdRun& run : line.runs) {
      if (run.text.empty()) continue;
      surface_.SelectFont(Font(run.face, run.size, run.bold, run.italic));
      const bool headingKind = line.kind <= kMdHeading3;
      surface_.SetTextColour(headingKind ? src_.heading : line.kind == kMdQuote || run.code ? src_.muted : src_.body);
      surface_.PlaceText(x, y0 + ascent - surface_.Ascent(), run.text);
      x += surface_.Measure(run.text);
    }
    y = y0 + height;
    return true;
  }

  bool NextPage() {
    DrawFooter();
    if (!surface_.EndPage()) return false;
    ++number_;
    job_.Post(WMU_PDF_PROGRESS, static_cast<WPARAM>(number_));
    if (job_.Cancelled()) return false;
    return StartPdfPage(surface_, number_);
  }

  void DrawFooter() {
    const std::u16string text = PageFooter(number_);
    surface_.SelectFont(footer_);
    surface_.SetTextColour(0x808080);
    surface_.PlaceText(left_ + (right_ - left_ - surface_.Measure(text)) / 2, footerY_, text);
  }

  ExportJob& job_;
  const MarkdownPdfSource& src_;
  PageSurface& surface_;
  PageGeometry page_;
  int left_ = 0, right_ = 0, top_ = 0, footerY_ = 0, bottom_ = 0;
  int body_ = 0, footer_ = 0;
  int number_ = 1;
  std::map<std::u16string, int> fonts_;
};

}  // namespace

bool ExportMarkdownPdf(HWND owner, const std::u16string& outputPath, const std::u16string& documentName) {
  const std::u16string text = Utf8ToUtf16(GetDocumentText());
  if (text.empty()) return false;
  auto src = std::make_shared<MarkdownPdfSource>(outputPath);
  src->text = text;
  const BodyFont font = PickBodyFont(g_live.fontName, g_live.fontSize);
  src->face = font.face;
  src->size = font.size;
  const ColorPalette& p = GetColorPalette();
  src->heading = PrintColor(p.dialogText);
  src->muted = PrintColor(p.mutedText);
  src->body = PrintColor(p.editorText);
  src->rule = p.borderLine;
  auto job = std::make_shared<ExportJob>();
  job->ownerWindow = owner;
  job->outputPath = outputPath;
  job->documentName = documentName;
  job->totalLines = static_cast<int>(Sci(SCI_GETLINECOUNT));
  job->dataReadyEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  job->settle = [src](bool keep) { return src->output.Settle(keep); };
  job->work = [src](ExportJob& j) {
    RunPdfWorker(j, src->output, [&j, &src](PageSurface& surface) {
      j.Post(WMU_PDF_PROGRESS, 0);
      return MarkdownPages(j, *src, surface).Run();
    });
  };
  const bool written = RunExportJob(job, ProgressKind::Pdf, u"Norvo - PDF Export", u"Failed to start export thread.");
  if (job->writeFailed) ShowMessageBox(owner, Ok, u"Norvo - PDF Export", u"Cannot write file.\n\n" + outputPath);
  return written;
}
