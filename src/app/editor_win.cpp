#include "common/win.h"  // before the other system headers

#include "app/editor_win.h"

#include <commctrl.h>

#include "app/shell_win.h"
#include "common/visual_win.h"
#include "common/utf.h"
#include "settings/settings_win.h"
#include "settings/theme.h"

namespace {
SciFnDirect g_direct = nullptr;
sptr_t g_directPtr = 0;
HWND g_bound = nullptr;

// The live font name as UTF-8, at most 63 bytes (64 with the terminator), cut on a
// character boundary.
std::string LiveFontUtf8() {
  std::string name = Utf16ToUtf8(g_live.fontName);
  if (name.size() > 63) {
    size_t cut = 63;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name;
}
}  // namespace

void BindEditor(HWND editor) {
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

void ApplyEditorLook() {
  const ColorPalette& p = PaletteForTheme(g_live.themeId);
  Sci(SCI_SETCODEPAGE, SC_CP_UTF8);
  Sci(SCI_SETEOLMODE, SC_EOL_CRLF);

  std::string font = LiveFontUtf8();
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

bool SetDocumentText(const char* text, size_t length) {
  Sci(SCI_SETREADONLY, 0);
  sptr_t options = length > 0x7FFFFFFFu ? SC_DOCUMENTOPTION_TEXT_LARGE : SC_DOCUMENTOPTION_DEFAULT;
  Sci(SCI_SETSTATUS, SC_STATUS_OK);
  sptr_t fresh = Sci(SCI_CREATEDOCUMENT, length, options);
  if (!fresh || Sci(SCI_GETSTATUS) == SC_STATUS_BADALLOC) {
    if (fresh) Sci(SCI_RELEASEDOCUMENT, 0, fresh);
    Sci(SCI_SETSTATUS, SC_STATUS_OK);
    return false;
  }
  // Keep the old document alive until the new one holds the text, so that a failure
  // can put it back.
  sptr_t old = Sci(SCI_GETDOCPOINTER);
  if (old) Sci(SCI_ADDREFDOCUMENT, 0, old);
  int eventMask = static_cast<int>(Sci(SCI_GETMODEVENTMASK));
  Sci(SCI_SETMODEVENTMASK, 0);  // loading is not an edit
  Sci(SCI_SETDOCPOINTER, 0, fresh);
  Sci(SCI_RELEASEDOCUMENT, 0, fresh);  // the control holds the only reference now
  ApplyDocumentSettings();
  Sci(SCI_SETUNDOCOLLECTION, 0);
  if (length > 0) Sci(SCI_APPENDTEXT, length, text);
  Sci(SCI_SETUNDOCOLLECTION, 1);
  bool ok = Sci(SCI_GETSTATUS) != SC_STATUS_BADALLOC && static_cast<size_t>(Sci(SCI_GETLENGTH)) == length;
  if (!ok) {
    Sci(SCI_SETDOCPOINTER, 0, old);  // frees the partial new document
    Sci(SCI_SETSTATUS, SC_STATUS_OK);
  }
  if (old) Sci(SCI_RELEASEDOCUMENT, 0, old);
  Sci(SCI_SETMODEVENTMASK, eventMask);
  if (!ok) return false;
  Sci(SCI_EMPTYUNDOBUFFER);
  Sci(SCI_SETSAVEPOINT);
  Sci(SCI_GOTOPOS, 0);
  return true;
}

std::string GetDocumentText() {
  size_t length = static_cast<size_t>(Sci(SCI_GETLENGTH));
  std::string text(length + 1, '\0');
  Sci(SCI_GETTEXT, length + 1, text.data());
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
    case WM_LBUTTONDOWN: {
      sptr_t length = Sci(SCI_GETLENGTH);
      if (length > 0) {
        Sci(SCI_SETINDICATORCURRENT, 9);
        Sci(SCI_INDICATORCLEARRANGE, 0, length);
      }
      break;
    }
    case WM_RBUTTONUP:
      // The viewer has no menu; the editor's own menu is off, and the program's menu
      // is shown from here once it exists.
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditorSubclassProc, id);
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

void SubclassEditor(HWND editor) { SetWindowSubclass(editor, EditorSubclassProc, 1, 0); }
