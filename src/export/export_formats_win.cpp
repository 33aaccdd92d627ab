// The export commands: the Export dialog, the save dialog, and the HTML, RTF and plain-text
// exports.
#include "common/win.h"  // before the other system headers

#include <commdlg.h>

#include <algorithm>
#include <memory>

#include "common/file_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "common/visual_win.h"
#include "document/document_win.h"
#include "export/export_hooks_win.h"
#include "export/export_logic.h"
#include "export/export_win.h"
#include "export/html_export.h"
#include "export/rtf_export.h"
#include "settings/settings_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"
#include "ui/theme_win.h"
#include "ui/viewer_win.h"

namespace {
constexpr const char16_t* kExportTitle = u"Norvo - Export";
constexpr size_t kRtfWorkerThreshold = 512'000;
constexpr size_t kRtfChunk = 262'144;



// The document's text and the style byte of every text byte, read in pieces so that the
// interleaved copy never needs twice the document's size.
struct StyledSnapshot {
  std::string text;
  std::string styles;
};
StyledSnapshot FetchStyledText() {
  StyledSnapshot snap;
  Sci(SCI_COLOURISE, 0, -1);  // styles are otherwise only known for what has been shown
  const Sci_Position length = Sci(SCI_GETLENGTH);
  if (length <= 0) return snap;
  snap.text.resize(static_cast<size_t>(length));
  snap.styles.resize(static_cast<size_t>(length));
  constexpr Sci_Position kPiece = 1 << 20;
  std::string pair(2 * kPiece + 2, '\0');
  for (Sci_Position at = 0; at < length; at += kPiece) {
    Sci_Position end = std::min(length, at + kPiece);
    Sci_TextRange range{{static_cast<Sci_PositionCR>(at), static_cast<Sci_PositionCR>(end)}, pair.data()};
    Sci(SCI_GETSTYLEDTEXT, 0, &range);
    for (Sci_Position i = 0; i < end - at; ++i) {
      snap.text[static_cast<size_t>(at + i)] = pair[static_cast<size_t>(2 * i)];
      snap.styles[static_cast<size_t>(at + i)] = pair[static_cast<size_t>(2 * i + 1)];
    }
  }
  return snap;
}

std::u16string DocumentName() {
  return DocumentNameOf(g_doc.path);
}

int LineCount() {
  return static_cast<int>(Sci(SCI_GETLINECOUNT));
}

// --- HTML ---

struct HtmlPayload {
  StyledSnapshot snap;
  StyleTables tables;
  std::string title;
  std::string font;
  uint32_t background = 0;
};

void HtmlExportWorker(ExportJob& job, std::shared_ptr<HtmlPayload>& payload) {
  job.WaitReady(5000);
  HtmlExportInput input;
  input.text = payload->snap.text;
  input.styles = payload->snap.styles;
  input.title = payload->title;
  input.fontFace = payload->font;
  input.background = payload->background;
  input.styleTables = &payload->tables;
  // The page goes to a file beside the output in pieces and takes the output's name once it is
  // complete: a large page is never held whole, and a cancel or a failure leaves any earlier
  // file of that name as it was.
  ReplacingFile file(job.outputPath);
  bool ok = false;
  if (!file.Opened()) {
    job.writeFailed = true;
  } else {
    bool written = true;
    bool built = StreamHtmlExport(
        input, [&](std::string_view piece) { return written = file.Write(piece); }, [&job] { return job.Cancelled(); },
        [&job](int line) { job.Post(WMU_EXPORT_PROGRESS, static_cast<WPARAM>(line)); });
    ok = built && written && file.Commit();
    if (!ok && !job.Cancelled()) job.writeFailed = true;
  }
  payload.reset();
  job.succeeded = ok;
  job.Post(WMU_EXPORT_DONE, ok ? 1 : 0);
}

// --- RTF ---

void RtfWriterWorker(ExportJob& job, std::string& rtf) {
  job.WaitReady(10000);
  if (rtf.empty() || job.Cancelled()) {
    job.Post(WMU_RTF_DONE, 0);
    return;
  }
  job.Post(WMU_RTF_PROGRESS, 5);
  // Written beside the output and put in its place when complete: a cancel or a failure leaves
  // any earlier file of that name as it was.
  ReplacingFile file(job.outputPath);
  if (!file.Opened()) {
    job.Post(WMU_RTF_DONE, 0);
    return;
  }
  const size_t total = rtf.size();
  size_t written = 0;
  bool stopped = false;
  while (written < total) {
    if (job.Cancelled()) {
      stopped = true;
      break;
    }
    const size_t piece = std::min(total - written, kRtfChunk);
    if (!file.Write(std::string_view(rtf).substr(written, piece))) {
      stopped = true;
      break;
    }
    written += piece;
    job.Post(WMU_RTF_PROGRESS, static_cast<WPARAM>(static_cast<uint64_t>(written) * 88 / total + 5));
  }
  std::string().swap(rtf);
  if (stopped || !file.Commit()) {
    job.succeeded = false;
    job.Post(WMU_RTF_DONE, 0);
    return;
  }
  job.Post(WMU_RTF_PROGRESS, static_cast<WPARAM>(-1));
  job.succeeded = true;
  job.Post(WMU_RTF_DONE, 1);
}

// --- the Export dialog ---

struct ExportDialogState {
  Brush back;
  bool hover[2] = {false, false};  // Export, Cancel
  bool trackingLeave = false;
  int chosen = -1;
};
ExportDialogState g_exportDialog;

constexpr int IDC_EXPORT_COMBO = 401, IDC_EXPORT_DESCRIPTION = 402, IDC_EXPORT_BUTTON = 403;

void ShowDescription(HWND dialog) {
  LRESULT index = SendDlgItemMessageW(dialog, IDC_EXPORT_COMBO, CB_GETCURSEL, 0, 0);
  if (index >= 0 && index < kExportFormatCount)
    SetDlgItemTextW(dialog, IDC_EXPORT_DESCRIPTION, W(kExportFormats[index].description));
}

void DrawExportButton(const DRAWITEMSTRUCT& item, bool hovered) {
  const ColorPalette& p = GetColorPalette();
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  Brush back(CreateSolidBrush(p.dialogBack));
  FillRect(dc, &r, back.get());
  {
    Brush face(CreateSolidBrush(pressed ? p.itemBorder : (hovered ? p.itemHoverBack : p.itemBack)));
    Pen border(CreatePen(PS_SOLID, 1, hovered ? p.accent : p.itemBorder));
    SelectionGuard b(dc, face.get());
    SelectionGuard o(dc, border.get());
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 8, 8);
  }
  if (hovered && !pressed) DrawButtonHighlight(dc, r, p.isDark ? RGB(0x64, 0x64, 0x6E) : RGB(0xFF, 0xFF, 0xFF));
  wchar_t caption[64] = {};
  GetWindowTextW(item.hwndItem, caption, 64);
  DrawButtonCaption(dc, r, caption, -13, hovered ? p.itemHoverText : p.itemText, pressed);
}

bool PointInChild(HWND dialog, int id, POINT clientPoint) {
  HWND child = GetDlgItem(dialog, id);
  if (!child) return false;
  RECT r;
  GetWindowRect(child, &r);
  POINT screen = clientPoint;
  ClientToScreen(dialog, &screen);
  return PtInRect(&r, screen) != 0;
}

void UpdateHover(HWND dialog, POINT clientPoint) {
  const int ids[2] = {IDC_EXPORT_BUTTON, IDCANCEL};
  for (int i = 0; i < 2; ++i) {
    bool inside = PointInChild(dialog, ids[i], clientPoint);
    if (inside != g_exportDialog.hover[i]) {
      g_exportDialog.hover[i] = inside;
      InvalidateRect(GetDlgItem(dialog, ids[i]), nullptr, FALSE);
    }
  }
}

// Buttons swallow the mouse moves over them; their moves are passed to the dialog.
LRESULT CALLBACK ExportButtonProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(GetPropW(button, L"NorvoOldProc"));
  if (msg == WM_MOUSEMOVE) {
    HWND dialog = GetParent(button);
    POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    MapWindowPoints(button, dialog, &pt, 1);
    SendMessageW(dialog, WM_MOUSEMOVE, wParam, MAKELPARAM(pt.x, pt.y));
  } else if (msg == WM_NCDESTROY) {
    RemovePropW(button, L"NorvoOldProc");
  }
  return CallWindowProcW(old, button, msg, wParam, lParam);
}

void MakeOwnerDrawn(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return;
  LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  SetWindowLongPtrW(button, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
  SetPropW(
      button, L"NorvoOldProc",
      reinterpret_cast<HANDLE>(SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ExportButtonProc))));
}

INT_PTR CALLBACK ExportDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  const ColorPalette& p = GetColorPalette();
  switch (msg) {
    case WM_INITDIALOG: {
      for (const ExportFormatRow& row : kExportFormats)
        SendDlgItemMessageW(dialog, IDC_EXPORT_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(row.label)));
      SendDlgItemMessageW(dialog, IDC_EXPORT_COMBO, CB_SETCURSEL, 0, 0);
      ShowDescription(dialog);
      g_exportDialog.back.reset(CreateSolidBrush(p.dialogBack));
      HICON icon = LoadIconW(g_shell.instance, MAKEINTRESOURCEW(IDI_NORVO));
      SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
      CentreOverOwner(dialog);
      MakeOwnerDrawn(dialog, IDC_EXPORT_BUTTON);
      MakeOwnerDrawn(dialog, IDCANCEL);
      g_exportDialog.hover[0] = g_exportDialog.hover[1] = false;
      g_exportDialog.trackingLeave = false;
      SetTitleBarDarkAttribute(dialog, p.isDark);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_EXPORT_COMBO:
          if (HIWORD(wParam) == CBN_SELCHANGE) ShowDescription(dialog);
          return TRUE;
        case IDC_EXPORT_BUTTON: {
          LRESULT index = SendDlgItemMessageW(dialog, IDC_EXPORT_COMBO, CB_GETCURSEL, 0, 0);
          if (index >= 0 && index < kExportFormatCount) {
            g_exportDialog.chosen = kExportFormats[index].formatId;
            EndDialog(dialog, 1);
          }
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 2);
          return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, 2);
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, p.dialogText);
      SetBkColor(dc, p.dialogBack);
      SetBkMode(dc, OPAQUE);
      return reinterpret_cast<INT_PTR>(g_exportDialog.back.get());
    }
    case WMU_APPLY_THEME:
      g_exportDialog.back.reset(CreateSolidBrush(GetColorPalette().dialogBack));
      SetTitleBarDarkAttribute(dialog, GetColorPalette().isDark);
      InvalidateRect(dialog, nullptr, TRUE);
      return TRUE;
    case WM_MOUSEMOVE: {
      if (!g_exportDialog.trackingLeave) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, dialog, 0};
        g_exportDialog.trackingLeave = TrackMouseEvent(&tme) != FALSE;
      }
      UpdateHover(dialog, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return TRUE;
    }
    case WM_MOUSELEAVE: {
      g_exportDialog.trackingLeave = false;
      POINT pt;
      GetCursorPos(&pt);
      ScreenToClient(dialog, &pt);
      UpdateHover(dialog, pt);  // leaving the dialog for one of its buttons keeps that button lit
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      DrawExportButton(*item, g_exportDialog.hover[item->CtlID == IDCANCEL ? 1 : 0]);
      return TRUE;
    }
    case WM_DESTROY:
      g_exportDialog.back.reset();
      return FALSE;
  }
  return FALSE;
}
}  // namespace

std::u16string TextWithNumber(const char16_t* before, long long n, const char16_t* after) {
  return before + DecimalText(static_cast<unsigned long long>(n < 0 ? 0 : n)) + after;
}

bool AskViewerInstead(HWND owner, const std::u16string& question) {
  if (ShowMessageBox(owner, YesNo, kExportTitle, question) != ResultYes) return false;
  OpenDocumentInViewer(owner);
  return true;
}

std::u16string AskExportPath(HWND owner, int formatId) {
  const ExportFormatRow* found = FindExportFormat(formatId);
  if (!found) return {};
  const ExportFormatRow& row = *found;
  std::u16string proposed = ProposedExportName(g_doc.path, row.extension);
  if (g_exportHooks.exportPath) return g_exportHooks.exportPath(proposed);
  std::u16string filter = std::u16string(row.filterName) + u'\0' + row.filterPattern + u'\0' + u"All Files" + u'\0' +
                          u"*.*" + u'\0' + u'\0';
  wchar_t file[260] = {};
  proposed.copy(reinterpret_cast<char16_t*>(file), 259);
  std::u16string defaultExtension = std::u16string(row.extension).substr(1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = W(filter);
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  ofn.lpstrTitle = L"Export File - Norvo";
  ofn.lpstrDefExt = W(defaultExtension);
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&ofn)) return {};
  return U16(file);
}

bool ExportHtml(HWND owner, const std::string& text, const std::u16string& path) {
  if (!g_shell.editor) {
    ShowMessageBox(owner, Ok, kExportTitle, u"Scintilla handle is invalid.");
    return false;
  }
  const int lines = LineCount();
  const size_t size = text.size();
  if (size > 10'000'000) {
    std::u16string q = u"This file is very large (~" + DecimalText(size / 1'000'000) + u" MB, ~" +
                       DecimalText(static_cast<unsigned>(lines)) +
                       u" lines).\nHTML export may take several minutes.\n\nContinue?";
    if (ShowMessageBox(owner, YesNo, kExportTitle, q) != ResultYes) return false;
  } else if (size > 1'000'000) {
    if (ShowMessageBox(owner, YesNo, kExportTitle,
                       TextWithNumber(u"This file has ~", lines, u" lines. Export may take a while.\n\nContinue?")) !=
        ResultYes)
      return false;
  }
  auto payload = std::make_shared<HtmlPayload>();
  payload->snap = FetchStyledText();
  for (int s = 0; s < 128; ++s) {
    payload->tables.fore[s] = static_cast<uint32_t>(Sci(SCI_STYLEGETFORE, s));
    payload->tables.back[s] = static_cast<uint32_t>(Sci(SCI_STYLEGETBACK, s));
    payload->tables.bold[s] = Sci(SCI_STYLEGETBOLD, s) != 0;
    payload->tables.italic[s] = Sci(SCI_STYLEGETITALIC, s) != 0;
  }
  payload->title = Utf16ToUtf8(DocumentName());
  payload->font = Utf16ToUtf8(g_live.fontName);
  payload->background = GetColorPalette().editorBack;

  auto job = std::make_shared<ExportJob>();
  job->ownerWindow = owner;
  job->editorWindow = g_shell.editor;
  job->outputPath = path;
  job->documentName = DocumentName();
  job->totalLines = lines;
  job->caption = u"Norvo - HTML Export";
  job->work = [payload = std::move(payload)](ExportJob& j) mutable { HtmlExportWorker(j, payload); };
  bool ok = RunExportJob(job, ProgressKind::Export, kExportTitle, u"Failed to create synchronization events.");
  if (job->writeFailed) ShowMessageBox(owner, Ok, kExportTitle, u"Cannot write file.\n\n" + path);
  return ok;
}

bool ExportRtf(HWND owner, const std::string& text, const std::u16string& path) {
  if (text.empty()) {
    ShowMessageBox(owner, Ok, kExportTitle, u"Nothing to export.");
    return false;
  }
  const int lines = LineCount();
  if (lines > ExportLineLimit(kFormatRtf, false)) {
    AskViewerInstead(
        owner,
        TextWithNumber(
            u"This file has ~", lines,
            u" lines.\n\nRTF export would be very slow for this size.\nOpen as plain text in Norvo Viewer instead?"));
    return false;
  }
  StyledSnapshot snap = FetchStyledText();
  RtfStyleTables tables;
  for (int s = 0; s < 128; ++s) {
    tables.fore[s] = static_cast<uint32_t>(Sci(SCI_STYLEGETFORE, s));
    tables.bold[s] = Sci(SCI_STYLEGETBOLD, s) != 0;
    tables.italic[s] = Sci(SCI_STYLEGETITALIC, s) != 0;
  }
  std::string rtf =
      BuildRtf(snap.text, snap.styles, tables, GetColorPalette().isDark, EditorFontUtf8(), g_live.fontSize);
  snap = {};

  if (rtf.size() < kRtfWorkerThreshold) {
    WriteResult written = WriteWholeFile(path, rtf.data(), rtf.size());
    if (written == WriteResult::CannotCreate) {
      ShowMessageBox(owner, Ok, kExportTitle, u"Cannot create RTF file.");
      return false;
    }
    if (written == WriteResult::WriteFailed) {
      DeleteFileW(W(path));  // a half-written document is of no use to anyone
      ShowMessageBox(owner, Ok, kExportTitle, u"Error writing RTF file.");
      return false;
    }
    ShowMessageBox(owner, Ok, kExportTitle, u"RTF exported successfully.\n\n" + path);
    return true;
  }

  auto job = std::make_shared<ExportJob>();
  job->ownerWindow = owner;
  job->outputPath = path;
  job->documentName = DocumentName();
  job->totalLines = lines;
  job->work = [rtf = std::move(rtf)](ExportJob& j) mutable { RtfWriterWorker(j, rtf); };
  bool ok = RunExportJob(job, ProgressKind::Rtf, kExportTitle, u"Failed to create sync events.");
  if (ok) {
    uint64_t elapsed = GetTickCount64() - job->startTick.load();
    ShowMessageBox(owner, Ok, kExportTitle,
                   u"RTF exported successfully.\n\nExport time: " + DecimalText(elapsed / 1000) + u"." +
                       std::u16string(elapsed % 1000 < 10    ? u"00"
                                      : elapsed % 1000 < 100 ? u"0"
                                                             : u"") +
                       DecimalText(elapsed % 1000) + u" sec\n\n" + path);
  } else {
    ShowMessageBox(owner, Ok, kExportTitle, u"RTF export failed or was cancelled.");
  }
  return ok;
}

bool ExportPlainText(HWND owner, const std::string& text, const std::u16string& path) {
  switch (WriteWholeFile(path, text.data(), text.size())) {
    case WriteResult::CannotCreate:
      ShowMessageBox(owner, Ok, kExportTitle, u"Cannot create file.");
      return false;
    case WriteResult::WriteFailed:
      ShowMessageBox(owner, Ok, kExportTitle, u"Error writing file.");
      return false;
    case WriteResult::Written:
      break;
  }
  ShowMessageBox(owner, Ok, kExportTitle, u"File exported successfully as plain text.");
  return true;
}

int ChooseExportFormat(HWND owner) {
  g_exportDialog.chosen = -1;
  if (DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(400), owner, ExportDialogProc, 0) != 1) return -1;
  return g_exportDialog.chosen;
}

