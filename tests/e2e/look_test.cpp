#include "common/win.h"  // before the other system headers

// What the user sees: screen pixels of the editor, the margin and the status bar per theme.
#include <algorithm>
#include <gtest/gtest.h>

#include "driver.h"
#include "settings/settings.h"
#include "settings/theme.h"

namespace {

COLORREF ScreenPixel(HWND window, POINT client) {
  ClientToScreen(window, &client);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, client.x, client.y);
  ReleaseDC(nullptr, screen);
  return c;
}

HWND ChildOfClass(HWND parent, const wchar_t* cls) { return FindWindowExW(parent, nullptr, cls, nullptr); }

class ThemePixels : public testing::TestWithParam<uint32_t> {};

TEST_P(ThemePixels, EditorMarginAndStatusBarShowThePalette) {
  const uint32_t theme = GetParam();
  const ColorPalette& p = kThemePalettes[theme];
  AppSettings s = QuietDefaults();
  s.themeId = theme;
  s.windowX = 0;
  s.windowY = 0;
  WriteSettings(s);
  std::u16string file = TempFolder() + u"\\look.cpp";
  ASSERT_TRUE(WriteBytes(file, "// theme check\nint main() { return 0; }\n"));

  Program norvo(NorvoExe(), {file});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - look.cpp");
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  HWND editor = ChildById(main, 1);
  HWND margin = ChildOfClass(main, L"NorvoMargin");
  HWND status = ChildById(main, 2);
  ASSERT_TRUE(editor && margin && status);
  RECT er, mr, sr;
  GetClientRect(editor, &er);
  GetClientRect(margin, &mr);
  GetClientRect(status, &sr);
  // Part 1 (the selection length, empty here) ends at max(80, width - 360) + 115.
  const int part1End = std::max<int>(80, sr.right - 360) + 115;

  struct Probe {
    const char* what;
    HWND window;
    POINT at;
    COLORREF expected;
  } probes[] = {
      {"editor background", editor, {er.right - 40, er.bottom - 20}, p.editorBack},
      {"margin background", margin, {2, mr.bottom - 4}, p.marginBack},
      {"margin edge", margin, {mr.right - 1, mr.bottom - 4}, p.borderLine},
      {"status bar background", status, {part1End - 8, sr.bottom / 2}, p.statusBack},
  };
  for (const Probe& probe : probes) {
    COLORREF seen = CLR_INVALID;
    bool match = WaitUntil([&] { return (seen = ScreenPixel(probe.window, probe.at)) == probe.expected; }, 5000);
    EXPECT_TRUE(match) << probe.what << ": saw 0x" << std::hex << seen << ", expected 0x" << probe.expected;
  }
  CloseAndExpectExitZero(norvo, main);
}
INSTANTIATE_TEST_SUITE_P(AllThemes, ThemePixels, testing::Range(0u, 6u));

}  // namespace
