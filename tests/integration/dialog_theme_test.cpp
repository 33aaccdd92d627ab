// The shared colour rules on a dialog of the test's own.
#include "common/win.h"  // before the other system headers

#include <vector>

#include "common/handles_win.h"
#include "harness.h"
#include "settings/settings_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/theme_win.h"

namespace {

INT_PTR CALLBACK ThemedProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = 0;
  if (HandleDialogColours(dialog, msg, wParam, lParam, &result)) return result;
  if (msg == WM_DRAWITEM) {
    DrawDialogButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return msg == WM_INITDIALOG;
}

HWND MakeDialog() {
  HWND dialog = CreateWindowExW(0, L"#32770", L"Themed", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(ThemedProc));
  auto child = [&](const wchar_t* cls, DWORD style, int id) {
    return CreateWindowExW(0, cls, L"Caption", WS_CHILD | WS_VISIBLE | style, 10, 10 + id * 25, 120, 22, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  };
  child(L"Button", BS_PUSHBUTTON, 1);
  child(L"Button", BS_AUTOCHECKBOX, 2);
  child(L"Static", 0, 3);
  child(L"Edit", 0, 4);
  child(L"ListBox", 0, 5);
  return dialog;
}

struct Colours {
  COLORREF text, back;
  LOGBRUSH brush;
};
Colours Ask(HWND dialog, UINT msg, HWND control) {
  MemoryDc dc(nullptr);
  INT_PTR brush = SendMessageW(dialog, msg, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(control));
  Colours c{GetTextColor(dc.get()), GetBkColor(dc.get()), {}};
  GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof c.brush, &c.brush);
  return c;
}

class DialogRules : public testing::TestWithParam<uint32_t> {};

TEST_P(DialogRules, ControlsTakeTheThemesColours) {
  g_live.themeId = GetParam();
  const ColorPalette& p = GetColorPalette();
  HWND dialog = MakeDialog();
  ThemeDialog(dialog);
  EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, 1), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, 2), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);

  Colours label = Ask(dialog, WM_CTLCOLORSTATIC, GetDlgItem(dialog, 3));
  EXPECT_EQ(label.text, p.dialogText);
  EXPECT_EQ(label.brush.lbColor, p.dialogBack);
  Colours edit = Ask(dialog, WM_CTLCOLOREDIT, GetDlgItem(dialog, 4));
  EXPECT_EQ(edit.text, p.editorText);
  EXPECT_EQ(edit.back, p.editorBack);
  EXPECT_EQ(edit.brush.lbColor, p.dialogBack);
  Colours list = Ask(dialog, WM_CTLCOLORLISTBOX, GetDlgItem(dialog, 5));
  EXPECT_EQ(list.text, p.editorText);
  EXPECT_EQ(list.back, p.inputBack);
  EXPECT_EQ(list.brush.lbColor, p.inputBack);

  // The button face, drawn into a bitmap: normal and pressed.
  for (bool pressed : {false, true}) {
    MemoryDc dc(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 80, 24, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectionGuard select(dc.get(), bitmap.get());
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_BUTTON;
    di.hwndItem = GetDlgItem(dialog, 1);
    di.hDC = dc.get();
    di.rcItem = {0, 0, 80, 24};
    di.itemState = pressed ? ODS_SELECTED : 0;
    DrawDialogButton(di);
    EXPECT_EQ(GetPixel(dc.get(), 10, 18), pressed ? p.buttonPressedFace : p.buttonFace) << pressed;
    EXPECT_EQ(GetPixel(dc.get(), 0, 0), p.dialogBack);  // outside the rounded corner
  }
  DestroyWindow(dialog);
  g_live.themeId = 0;
}
INSTANTIATE_TEST_SUITE_P(AllThemes, DialogRules, testing::Range(0u, 6u));

}  // namespace
