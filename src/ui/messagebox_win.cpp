#include "ui/messagebox_win.h"

#include <vector>

#include "common/handles_win.h"
#include "common/visual_win.h"
#include "settings/settings_win.h"
#include "settings/theme.h"
#include "ui/dialog_theme_win.h"
#include "ui/ui_hooks_win.h"

namespace {

constexpr int kTextId = 2500;

// The static text's background brush, rebuilt only when the theme has changed.
Brush g_textBrush;
uint32_t g_textBrushTheme = ~0u;

HBRUSH TextBrush() {
  uint32_t theme = NormalizeThemeId(g_live.themeId);
  if (!g_textBrush || g_textBrushTheme != theme) {
    g_textBrush.reset(CreateSolidBrush(PaletteForTheme(theme).windowBack));
    g_textBrushTheme = theme;
  }
  return g_textBrush.get();
}

// Builds a DLGTEMPLATE with its items in memory (WORD-aligned, items DWORD-aligned).
class TemplateWriter {
 public:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignDword() {
    if (words_.size() % 2) Word(0);
  }
  void Item(DWORD style, int x, int y, int cx, int cy, WORD id, WORD classAtom, const std::u16string& text) {
    AlignDword();
    Dword(style);
    Dword(0);  // extended style
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    Text(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Get() {
    AlignDword();
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
  }

 private:
  std::vector<WORD> words_;
};

void DrawButton(const DRAWITEMSTRUCT& di, int kind) {
  const ColorPalette& p = PaletteForTheme(g_live.themeId);
  bool pressed = (di.itemState & ODS_SELECTED) != 0;
  HDC dc = di.hDC;
  RECT r = di.rcItem;
  Brush back(CreateSolidBrush(p.windowBack));
  FillRect(dc, &r, back.get());
  {
    Brush face(CreateSolidBrush(pressed ? p.itemHoverBack : p.itemBack));
    SelectionGuard brush(dc, face.get());
    SelectionGuard pen(dc, GetStockObject(NULL_PEN));
    RoundRect(dc, r.left, r.top, r.right + 1, r.bottom + 1, 6, 6);
  }
  {
    Pen border(CreatePen(PS_SOLID, 1, p.itemBorder));
    SelectionGuard pen(dc, border.get());
    SelectionGuard brush(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 6, 6);
  }
  const char16_t* caption = u"";
  for (const MessageBoxButton& b : ComputeMessageBoxLayout(kind, u"").buttons) {
    if (b.id == static_cast<int>(di.CtlID)) caption = b.caption;
  }
  DrawButtonCaption(dc, r, W(caption), -12, pressed ? p.itemHoverText : p.itemText, pressed);
}

INT_PTR CALLBACK MessageBoxProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  int kind = static_cast<int>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      bool dark = PaletteForTheme(g_live.themeId).isDark;
      SetTitleBarDarkAttribute(dlg, dark);
      SetExplorerStyle(dlg, dark);
      SetExplorerStyle(GetDlgItem(dlg, kTextId), dark);
      SendMessageW(dlg, DM_SETDEFID, 2501, 0);
      return TRUE;
    }
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(dlg, &rc);
      Brush back(CreateSolidBrush(PaletteForTheme(g_live.themeId).windowBack));
      FillRect(reinterpret_cast<HDC>(wParam), &rc, back.get());
      SetWindowLongPtrW(dlg, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, PaletteForTheme(g_live.themeId).dialogText);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(TextBrush());
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (di->CtlType != ODT_BUTTON) return FALSE;
      DrawButton(*di, kind);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDCANCEL) {
        EndDialog(dlg, MessageBoxCancelResult(kind));
        return TRUE;
      }
      for (const MessageBoxButton& b : ComputeMessageBoxLayout(kind, u"").buttons) {
        if (b.id == id) {
          EndDialog(dlg, b.result);
          return TRUE;
        }
      }
      return FALSE;
    }
    case WM_CLOSE:
      EndDialog(dlg, MessageBoxCancelResult(kind));
      return TRUE;
  }
  return FALSE;
}
}  // namespace


int ShowMessageBox(HWND owner, int kind, const std::u16string& title, const std::u16string& text) {
  if (g_uiHooks.messageBox) return g_uiHooks.messageBox(owner, kind, title, text);
  if (kind < SaveDontSaveCancel || kind > YesNo) kind = Ok;
  MessageBoxLayout layout = ComputeMessageBoxLayout(kind, text);

  TemplateWriter t;
  t.Dword(0x80C808C0);  // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT
  t.Dword(0);
  t.Word(static_cast<WORD>(1 + layout.buttons.size()));
  t.Word(0);
  t.Word(0);
  t.Word(static_cast<WORD>(layout.width));
  t.Word(static_cast<WORD>(layout.height));
  t.Word(0);  // no menu
  t.Word(0);  // default class
  t.Text(title);
  t.Word(9);
  t.Text(u"Segoe UI");
  t.Item(0x50002081, 7, 7, layout.width - 14, layout.textHeight, kTextId, 0x0082, text);
  for (size_t i = 0; i < layout.buttons.size(); ++i) {
    t.Item(0x5001000B, layout.buttonX[i], layout.buttonTop, 50, 14, static_cast<WORD>(layout.buttons[i].id), 0x0080,
           layout.buttons[i].text);
  }
  HINSTANCE module = GetModuleHandleW(nullptr);
  return static_cast<int>(DialogBoxIndirectParamW(module, t.Get(), owner, MessageBoxProc, kind));
}

void ShowSystemWarning(HWND owner, const std::u16string& text) {
  if (g_uiHooks.messageBox) {
    g_uiHooks.messageBox(owner, Ok, u"Norvo", text);
    return;
  }
  MessageBoxW(owner, W(text), L"Norvo", MB_OK | MB_ICONEXCLAMATION);
}
