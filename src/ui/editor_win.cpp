#include "common/win.h"  // before the other system headers

#include "ui/editor_win.h"

#include <commctrl.h>

#include "common/utf.h"
#include "common/visual_win.h"
#include "settings/settings_win.h"
#include "settings/theme.h"
#include "ui/shell_win.h"

namespace {
// A failure status of the control (out of memory or another failure); warnings do not count.
bool ControlFailed() {
  sptr_t status = Sci(SCI_GETSTATUS);
  return status > SC_STATUS_OK && status < SC_STATUS_WARN_START;
}

SciFnDirect g_direct = nullptr;
sptr_t g_directPtr = 0;
HWND g_bound = nullptr;

}  // namespace

namespace {
struct IndicatorLook {
  HWND editor = nullptr;
  COLORREF colour = CLR_INVALID;
  int alpha = -1;
};
IndicatorLook g_looks[INDICATOR_MAX + 1];
}  // namespace

void BindEditor(HWND editor) {
  for (IndicatorLook& look : g_looks) look = IndicatorLook{};  // a new control has the default looks
  g_bound = editor;
  g_direct = nullptr;
  g_directPtr = 0;
  if (editor) {
    g_direct = reinterpret_cast<SciFnDirect>(SendMessageW(editor, SCI_GETDIRECTFUNCTION, 0, 0));
    g_directPtr = static_cast<sptr_t>(SendMessageW(editor, SCI_GETDIRECTPOINTER, 0, 0));
  }
}

sptr_t Sci(unsigned int message, uptr_t wParam, sptr_t lParam) {
  if (g_direct && g_directPtr) return g_direct(g_directPtr, message, wParam, lParam);
  if (g_bound) return static_cast<sptr_t>(SendMessageW(g_bound, message, wParam, lParam));
  return 0;
}

void ApplyDocumentSettings() {
  Sci(SCI_SETCODEPAGE, SC_CP_UTF8);
  Sci(SCI_SETTABWIDTH, 4);
  Sci(SCI_SETINDENT, 4);
  Sci(SCI_SETUSETABS, 0);
}

void SetDefaultStyleFontAndColours() {
  const ColorPalette& p = GetColorPalette();
  std::string font = EditorFontUtf8();
  Sci(SCI_STYLESETFONT, STYLE_DEFAULT, font.c_str());
  Sci(SCI_STYLESETSIZE, STYLE_DEFAULT, g_live.fontSize);
  Sci(SCI_STYLESETBACK, STYLE_DEFAULT, Colour(p.editorBack));
  Sci(SCI_STYLESETFORE, STYLE_DEFAULT, Colour(p.editorText));
}

void ApplyBaseStyles() {
  const ColorPalette& p = GetColorPalette();
  SetDefaultStyleFontAndColours();
  Sci(SCI_STYLECLEARALL);
  for (int margin = 0; margin <= 4; ++margin) Sci(SCI_SETMARGINWIDTHN, margin, 0);
  Sci(SCI_SETMARGINBACKN, 0, Colour(p.marginBack));
  Sci(SCI_STYLESETBACK, STYLE_LINENUMBER, Colour(p.marginBack));
  Sci(SCI_STYLESETFORE, STYLE_LINENUMBER, Colour(p.marginText));
}

void ApplyEditorLook() {
  const ColorPalette& p = PaletteForTheme(g_live.themeId);
  Sci(SCI_SETCODEPAGE, SC_CP_UTF8);
  Sci(SCI_SETEOLMODE, SC_EOL_CRLF);

  std::string font = EditorFontUtf8();
  Sci(SCI_STYLESETFONT, STYLE_DEFAULT, font.c_str());
  Sci(SCI_STYLESETSIZE, STYLE_DEFAULT, g_live.fontSize);
  Sci(SCI_STYLESETBOLD, STYLE_DEFAULT, g_settings.fontBold ? 1 : 0);
  Sci(SCI_STYLESETITALIC, STYLE_DEFAULT, g_settings.fontItalic ? 1 : 0);
  Sci(SCI_STYLECLEARALL);

  Sci(SCI_STYLESETBACK, STYLE_DEFAULT, Colour(p.editorBack));
  Sci(SCI_STYLESETFORE, STYLE_DEFAULT, Colour(p.editorText));
  Sci(SCI_SETFOLDMARGINCOLOUR, 1, Colour(p.editorBack));
  Sci(SCI_SETFOLDMARGINHICOLOUR, 1, Colour(p.editorBack));

  Sci(SCI_SETCARETFORE, Colour(p.caret));
  Sci(SCI_SETSELBACK, 1, Colour(p.selectionBack));
  Sci(SCI_SETSELFORE, 1, Colour(p.selectionText));

  for (int margin = 0; margin <= 4; ++margin) Sci(SCI_SETMARGINWIDTHN, margin, 0);
  Sci(SCI_SETMARGINBACKN, 0, Colour(p.marginBack));
  Sci(SCI_STYLESETBACK, STYLE_LINENUMBER, Colour(p.marginBack));
  Sci(SCI_STYLESETFORE, STYLE_LINENUMBER, Colour(p.marginText));
  Sci(SCI_SETMARGINWIDTHN, 1, 0);

  Sci(SCI_SETMARGINLEFT, 0, 6);

  Sci(SCI_SETWRAPMODE, g_live.wordWrap ? SC_WRAP_WORD : SC_WRAP_NONE);
  Sci(SCI_SETHSCROLLBAR, g_live.wordWrap ? 0 : 1);

  ApplyDocumentSettings();

  Sci(SCI_SETCARETPERIOD, 500);
  Sci(SCI_SETCARETWIDTH, 2);
  Sci(SCI_SETMOUSESELECTIONRECTANGULARSWITCH, 0);
  Sci(SCI_SETINDENTATIONGUIDES, SC_IV_NONE);
  Sci(SCI_SETVSCROLLBAR, 1);
  Sci(SCI_SETHSCROLLBAR, g_live.wordWrap ? 0 : 1);
  Sci(SCI_SETMODEVENTMASK, SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT);
  Sci(SCI_USEPOPUP, SC_POPUP_NEVER);
}

DocumentSwap::~DocumentSwap() {
  if (active_) Rollback();
}

bool DocumentSwap::Begin(size_t capacity) {
  Sci(SCI_SETSTATUS, SC_STATUS_OK);
  sptr_t options = capacity > 0x7FFFFFFFu ? SC_DOCUMENTOPTION_TEXT_LARGE : SC_DOCUMENTOPTION_DEFAULT;
  sptr_t fresh = Sci(SCI_CREATEDOCUMENT, capacity, options);
  if (!fresh || ControlFailed()) {
    if (fresh) Sci(SCI_RELEASEDOCUMENT, 0, fresh);
    Sci(SCI_SETSTATUS, SC_STATUS_OK);
    return false;
  }
  // The old document stays alive (one reference of ours) until Commit or Rollback.
  old_ = Sci(SCI_GETDOCPOINTER);
  if (old_) Sci(SCI_ADDREFDOCUMENT, 0, old_);
  // The selection and the scroll position belong to the view: kept for a rollback.
  oldAnchor_ = Sci(SCI_GETANCHOR);
  oldCaret_ = Sci(SCI_GETCURRENTPOS);
  oldFirstLine_ = Sci(SCI_GETFIRSTVISIBLELINE);
  eventMask_ = static_cast<int>(Sci(SCI_GETMODEVENTMASK));
  Sci(SCI_SETMODEVENTMASK, 0);
  Sci(SCI_SETDOCPOINTER, 0, fresh);
  Sci(SCI_RELEASEDOCUMENT, 0, fresh);  // the control holds the only reference now
  ApplyDocumentSettings();
  Sci(SCI_SETUNDOCOLLECTION, 0);
  active_ = true;
  return true;
}

bool DocumentSwap::Append(const char* text, size_t length) {
  if (!active_) return false;
  if (length == 0) return true;
  sptr_t before = Sci(SCI_GETLENGTH);
  Sci(SCI_APPENDTEXT, length, text);
  return !ControlFailed() && static_cast<size_t>(Sci(SCI_GETLENGTH) - before) == length;
}

void DocumentSwap::Finish() {
  if (old_) Sci(SCI_RELEASEDOCUMENT, 0, old_);
  old_ = 0;
  Sci(SCI_SETMODEVENTMASK, eventMask_);
  active_ = false;
}

void DocumentSwap::Commit() {
  if (!active_) return;
  NoteDocumentChange();
  Sci(SCI_SETUNDOCOLLECTION, 1);
  Sci(SCI_EMPTYUNDOBUFFER);
  Sci(SCI_SETSAVEPOINT);
  Sci(SCI_GOTOPOS, 0);
  Finish();
}

void DocumentSwap::Rollback() {
  if (!active_) return;
  NoteDocumentChange();
  Sci(SCI_SETDOCPOINTER, 0, old_);  // frees the partial new document
  Sci(SCI_SETSTATUS, SC_STATUS_OK);
  Sci(SCI_SETSEL, oldAnchor_, oldCaret_);
  Sci(SCI_SETFIRSTVISIBLELINE, oldFirstLine_);
  Finish();
}

bool SetDocumentText(const char* text, size_t length) {
  DocumentSwap swap;
  if (!swap.Begin(length) || !swap.Append(text, length)) return false;
  swap.Commit();
  return true;
}

void ClearIndicator(int indicator) {
  sptr_t length = Sci(SCI_GETLENGTH);
  if (length <= 0) return;
  Sci(SCI_SETINDICATORCURRENT, indicator);
  Sci(SCI_INDICATORCLEARRANGE, 0, length);
}

void SetSearchIndicatorLook(int indicator, COLORREF colour, int alpha) {
  if (indicator < 0 || indicator > INDICATOR_MAX) return;
  IndicatorLook& look = g_looks[indicator];
  if (look.editor == g_bound && look.colour == colour && look.alpha == alpha) return;
  look = {g_bound, colour, alpha};
  Sci(SCI_INDICSETSTYLE, static_cast<uptr_t>(indicator), INDIC_ROUNDBOX);
  Sci(SCI_INDICSETFORE, static_cast<uptr_t>(indicator), static_cast<sptr_t>(colour));
  Sci(SCI_INDICSETALPHA, static_cast<uptr_t>(indicator), alpha);
  Sci(SCI_INDICSETUNDER, static_cast<uptr_t>(indicator), 1);
}

std::string GetDocumentText() {
  size_t length = static_cast<size_t>(Sci(SCI_GETLENGTH));
  std::string text(length + 1, '\0');
  Sci(SCI_GETTEXT, length + 1, text.data());
  text.resize(length);
  return text;
}

namespace {
uint64_t g_documentVersion = 1;
}  // namespace

uint64_t DocumentVersion() {
  return g_documentVersion;
}
void NoteDocumentChange() {
  ++g_documentVersion;
}

std::string GetSelectedText() {
  // Asked for its size first: a rectangular selection is longer than its start-to-end span.
  const size_t length = static_cast<size_t>(Sci(SCI_GETSELTEXT, 0, static_cast<sptr_t>(0)));
  std::string text(length + 1, '\0');
  Sci(SCI_GETSELTEXT, 0, text.data());
  text.resize(length);
  return text;
}

namespace {
LRESULT CALLBACK EditorSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  switch (msg) {
    case WM_SETCURSOR:
      if (g_shell.viewerMode && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_NCPAINT: {
      LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
      if (!g_shell.viewerMode && PaletteForTheme(g_live.themeId).isDark) SetExplorerStyle(hwnd, true);
      return r;
    }
    case WM_LBUTTONDOWN:
      ClearIndicator(9);
      break;
    case WM_RBUTTONUP:
      if (!g_shell.viewerMode) {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(hwnd, &pt);
        SendMessageW(GetParent(hwnd), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(pt.x, pt.y));
      }
      return 0;  // the viewer has no menu
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditorSubclassProc, id);
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

void SubclassEditor(HWND editor) {
  SetWindowSubclass(editor, EditorSubclassProc, 1, 0);
}
