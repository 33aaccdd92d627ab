// Where an export goes: the Export dialog's choice, by format and by the document's kind
// (Markdown documents are rendered), with the size limits past which the viewer is offered.
#include "app/export_route_win.h"

#include "document/document_win.h"
#include "export/export_logic.h"
#include "export/export_win.h"
#include "markdown/markdown_win.h"
#include "print/pdf_export_win.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"

bool ExportAs(int formatId) {
  if (!FindExportFormat(formatId)) return false;
  HWND owner = g_shell.mainWindow;
  const bool markdown = IsMarkdownPath(g_doc.path);
  const int lines = static_cast<int>(Sci(SCI_GETLINECOUNT));
  if (formatId == kFormatPdf) {
    if (lines <= ExportLineLimit(kFormatPdf, markdown)) {
      return ExportPdf(owner);
    } else if (markdown) {
      AskViewerInstead(owner, TextWithNumber(u"This Markdown file has ~", lines,
                                      u" lines.\n\nRendered MD PDF would be too slow for this size.\nOpen as plain "
                                      u"text in Norvo Viewer instead?"));
    } else {
      AskViewerInstead(
          owner,
          TextWithNumber(
              u"This file has ~", lines,
              u" lines.\n\nPDF export would be very slow for this size.\nOpen as plain text in Norvo Viewer instead?"));
    }
    return true;
  }
  std::u16string path = AskExportPath(owner, formatId);
  if (path.empty()) return false;
  switch (formatId) {
    case kFormatHtml:
      if (markdown) {
        if (lines <= ExportLineLimit(kFormatHtml, true)) return ExportMarkdown(owner, path);
        AskViewerInstead(owner, TextWithNumber(u"This Markdown file has ~", lines,
                                        u" lines.\n\nRendered MD HTML would be very slow for this size.\nOpen as plain "
                                        u"text in Norvo Viewer instead?"));
        return false;
      }
      if (lines <= ExportLineLimit(kFormatHtml, false)) return ExportHtml(owner, GetDocumentText(), path);
      AskViewerInstead(
          owner,
          TextWithNumber(u"This file has ~", lines,
                  u" lines.\n\nHTML export would be slow for this size.\nOpen as plain text in Norvo Viewer instead?"));
      return false;
    case kFormatRtf:
      return ExportRtf(owner, GetDocumentText(), path);
    case kFormatText:
      return ExportPlainText(owner, GetDocumentText(), path);
    default:
      return false;
  }
}

void ShowExportDialog(HWND owner) {
  // The export runs once the dialog is gone, so its own windows do not sit on top of it.
  const int formatId = ChooseExportFormat(owner);
  if (formatId >= 0) ExportAs(formatId);
}
