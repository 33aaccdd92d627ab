// Printing on the user-interface thread: the print dialog's device context, the shared page
// layout and pagination on it, and one page after another.
#include "common/win.h"  // before the other system headers

#include "print/print_win.h"

#include <Scintilla.h>

#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "export/export_logic.h"
#include "print/print_render_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"

PrintHooks g_printHooks;

namespace {
constexpr const char16_t* kPrintTitle = u"Norvo - Print";

// The blocks a print or page-setup dialog hands back, freed however the routine ends.
struct DialogBlocks {
  HGLOBAL& devMode;
  HGLOBAL& devNames;
  ~DialogBlocks() {
    if (devMode) GlobalFree(devMode);
    if (devNames) GlobalFree(devNames);
  }
};

PrinterPage PageOf(HDC dc) {
  return {GetDeviceCaps(dc, LOGPIXELSX),    GetDeviceCaps(dc, LOGPIXELSY),      GetDeviceCaps(dc, PHYSICALWIDTH),
          GetDeviceCaps(dc, PHYSICALHEIGHT), GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY)};
}

std::vector<int> Paginate(HDC dc, const std::vector<std::u16string>& lines, const PageLayout& layout, HFONT body) {
  SelectionGuard font(dc, body);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  PaginationHooks hooks;
  hooks.measure = [&](size_t i) {
    return WrappedLineHeight(dc, lines[i], layout.TextWidth(), 10 * layout.UsableHeight(), metrics.tmHeight);
  };
  return PaginateLines(lines.size(), layout.UsableHeight(), hooks);
}

// The pages, one after another; the number of a page that could not be printed, or 0.
int PrintPages(HDC dc, const PrinterPage& printer, const PageLayout& layout, const std::vector<std::u16string>& lines,
               const std::vector<int>& starts, HFONT body, HFONT footer) {
  for (size_t p = 0; p < starts.size(); ++p) {
    const int number = static_cast<int>(p) + 1;
    if (g_printHooks.failingPage == number || StartPage(dc) <= 0) return number;
    DrawPage(dc, {layout, lines, LinesOfPage(starts, p, lines.size()), number, body, footer, RGB(0x64, 0x64, 0x64),
                  printer.height - printer.offsetY});
    if (EndPage(dc) <= 0) return number;
  }
  return 0;
}
}  // namespace

void PrintDocument(HWND owner) {
  if (!g_shell.editor || Sci(SCI_GETLENGTH) == 0) return;
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
  dialog.nFromPage = dialog.nToPage = dialog.nMinPage = dialog.nMaxPage = 1;
  dialog.nCopies = 1;
  DialogBlocks blocks{dialog.hDevMode, dialog.hDevNames};
  if (!(g_printHooks.printDialog ? g_printHooks.printDialog : PrintDlgW)(&dialog) || !dialog.hDC) return;
  UniqueDc dc(dialog.hDC);

  const PrinterPage printer = PageOf(dc.get());
  const PageLayout layout = PrinterPageLayout(printer, g_settings.pageMargins, g_live.fontSize);
  const Font body = MakeBodyFont(g_live.fontName, g_live.fontSize, printer.dpiY);
  const Font footer = MakeFooterFont(g_live.fontName, g_live.fontSize, printer.dpiY);
  const std::vector<std::u16string> lines = GetDocumentLines();
  const std::vector<int> starts = Paginate(dc.get(), lines, layout, body.get());

  const std::u16string name = g_doc.path.empty() ? u"Norvo Document" : DocumentNameOf(g_doc.path);
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = W(name);
  if (StartDocW(dc.get(), &info) <= 0) {
    ShowMessageBox(owner, Ok, kPrintTitle, u"Failed to start print job.\nCheck printer and try again.");
    return;
  }
  const int stoppedAt = PrintPages(dc.get(), printer, layout, lines, starts, body.get(), footer.get());
  EndDoc(dc.get());
  // A page the printer refused ends the job with the pages before it; the user hears of it.
  if (stoppedAt) ShowMessageBox(owner, Ok, kPrintTitle, u"Printing stopped at page " + DecimalText(static_cast<unsigned>(stoppedAt)) + u".");
}

bool ShowPageSetup(HWND owner) {
  PAGESETUPDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
  const int32_t* m = g_settings.pageMargins;
  dialog.rtMargin = {m[0], m[1], m[2], m[3]};
  dialog.ptPaperSize = {g_settings.paperWidth, g_settings.paperHeight};
  DialogBlocks blocks{dialog.hDevMode, dialog.hDevNames};
  if (!(g_printHooks.pageSetupDialog ? g_printHooks.pageSetupDialog : PageSetupDlgW)(&dialog)) return false;
  g_settings.pageMargins[0] = dialog.rtMargin.left;
  g_settings.pageMargins[1] = dialog.rtMargin.top;
  g_settings.pageMargins[2] = dialog.rtMargin.right;
  g_settings.pageMargins[3] = dialog.rtMargin.bottom;
  g_settings.paperWidth = dialog.ptPaperSize.x;
  g_settings.paperHeight = dialog.ptPaperSize.y;
  SaveSettings(g_settings);
  return true;
}
