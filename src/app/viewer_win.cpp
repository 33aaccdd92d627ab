#include "app/viewer_win.h"

#include "app/editor_win.h"
#include "app/shell_win.h"
#include "common/visual_win.h"

namespace {
constexpr uint32_t RgbHex(uint32_t rrggbb) {
  return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}
constexpr uint32_t kPaper = RgbHex(0xF5EEDC);
constexpr uint32_t kInk = RgbHex(0x2D1E0F);
constexpr uint32_t kCaret = RgbHex(0x503214);
constexpr uint32_t kSelectionBack = RgbHex(0xC8B48C);
constexpr uint32_t kSelectionText = RgbHex(0x140A00);
}  // namespace

void ApplyViewerLook(HWND viewerWindow) {
  Sci(SCI_STYLESETFONT, STYLE_DEFAULT, "Georgia");
  Sci(SCI_STYLESETSIZE, STYLE_DEFAULT, 12);
  Sci(SCI_STYLESETBOLD, STYLE_DEFAULT, 0);
  Sci(SCI_STYLESETITALIC, STYLE_DEFAULT, 0);
  Sci(SCI_STYLESETBACK, STYLE_DEFAULT, Colour(kPaper));
  Sci(SCI_STYLESETFORE, STYLE_DEFAULT, Colour(kInk));
  Sci(SCI_STYLECLEARALL);
  Sci(SCI_SETFOLDMARGINCOLOUR, 1, Colour(kPaper));
  Sci(SCI_SETFOLDMARGINHICOLOUR, 1, Colour(kPaper));
  Sci(SCI_SETCARETFORE, Colour(kCaret));
  Sci(SCI_SETCARETWIDTH, 1);
  Sci(SCI_SETCARETPERIOD, 0);
  Sci(SCI_SETSELBACK, 1, Colour(kSelectionBack));
  Sci(SCI_SETSELFORE, 1, Colour(kSelectionText));
  Sci(SCI_SETWRAPMODE, SC_WRAP_WORD);
  Sci(SCI_SETHSCROLLBAR, 0);
  Sci(SCI_SETMARGINLEFT, 0, 28);
  Sci(SCI_SETMARGINRIGHT, 0, 28);
  SetTitleBarDark(viewerWindow, false);
  SetExplorerStyle(g_shell.editor, false);
}
