// The Help window with the real main window and message loop.
#include "common/win.h"  // before the other system headers

#include <string>

#include "app/mainwindow_win.h"
#include "common/messages.h"
#include "harness.h"
#include "process_counts_win.h"
#include "help/help_testing.h"
#include "settings/settings_win.h"
#include "ui/theme_win.h"

namespace {

class Help : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    g_settings.helpWidth = g_settings.helpHeight = 0;
    g_settings.helpTopic = 0;
    themeBefore_ = g_live.themeId;
  }
  void TearDown() override {
    if (g_shell.helpWindow) DestroyWindow(g_shell.helpWindow);
    g_live.themeId = g_settings.themeId = themeBefore_;
    MainWindowTest::TearDown();
  }
  static HWND Open() {
    SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_HELP, 0);
    PumpPending();
    return g_shell.helpWindow;
  }
  static HelpView View(HWND window) {
    HelpView view;
    EXPECT_TRUE(InspectHelpWindow(window, &view));
    return view;
  }
  // A key as the message loop gets it, through the loop's own handling.
  static void Key(HWND window, WPARAM key) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1;
    ProcessMessage(msg);
    PumpPending();
  }
  static void Wheel(HWND window, int delta) {
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
  }
  static void Bar(HWND window, int code) { SendMessageW(window, WM_VSCROLL, MAKEWPARAM(code, 0), 0); }
  static SCROLLINFO Scroll(HWND window) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, SB_VERT, &info);
    return info;
  }
  static SIZE Outer(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
  }
  static void Resize(HWND window, int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpPending();
  }
  uint32_t themeBefore_ = 0;
};

TEST_F(Help, OpensOnTheStoredTopicAndKeysMoveBetweenTopicsFromTheTop) {
  g_settings.helpTopic = 6;
  HWND help = Open();
  ASSERT_NE(help, nullptr);
  wchar_t caption[64] = {};
  GetWindowTextW(help, caption, 64);
  EXPECT_STREQ(caption, L"Norvo - Help");
  EXPECT_EQ(GetWindow(help, GW_OWNER), g_shell.mainWindow);
  EXPECT_NE(SendMessageW(help, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(help, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(View(help).topic, 6);

  Wheel(help, -120);
  ASSERT_EQ(View(help).scroll, 40);
  Key(help, VK_DOWN);
  EXPECT_EQ(View(help).topic, 7);
  EXPECT_EQ(View(help).scroll, 0);
  EXPECT_EQ(Scroll(help).nPos, 0);
  Wheel(help, -120);
  Key(help, VK_RIGHT);
  EXPECT_EQ(View(help).topic, 8);
  EXPECT_EQ(View(help).scroll, 0);
  Key(help, VK_UP);
  Key(help, VK_LEFT);
  EXPECT_EQ(View(help).topic, 6);
  for (int i = 0; i < 5; ++i) Key(help, VK_RIGHT);
  EXPECT_EQ(View(help).topic, 9);  // the last topic stays
  for (int i = 0; i < 12; ++i) Key(help, VK_UP);
  EXPECT_EQ(View(help).topic, 0);
}

TEST_F(Help, ScrollsByLinesPagesThumbAndWheelWithinTheContent) {
  g_settings.helpTopic = 6;  // the longest text
  HWND help = Open();
  ASSERT_NE(help, nullptr);
  const HelpView start = View(help);
  ASSERT_GT(start.maxScroll, 400);
  RECT client{};
  GetClientRect(help, &client);
  const int page = client.bottom - 40;
  SCROLLINFO info = Scroll(help);
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, start.maxScroll + page - 1);  // content height - 1
  EXPECT_EQ(static_cast<int>(info.nPage), page);

  Wheel(help, -120);
  Wheel(help, -120);
  EXPECT_EQ(View(help).scroll, 80);
  Bar(help, SB_LINEDOWN);
  EXPECT_EQ(View(help).scroll, 100);
  Bar(help, SB_LINEUP);
  Wheel(help, 120);
  EXPECT_EQ(View(help).scroll, 40);
  Key(help, VK_NEXT);
  EXPECT_EQ(View(help).scroll, 40 + page);
  Key(help, VK_PRIOR);
  EXPECT_EQ(View(help).scroll, 40);
  Bar(help, SB_BOTTOM);
  EXPECT_EQ(View(help).scroll, start.maxScroll);
  Wheel(help, -120);
  Bar(help, SB_LINEDOWN);
  Bar(help, SB_PAGEDOWN);
  EXPECT_EQ(View(help).scroll, start.maxScroll);  // stops at the end
  EXPECT_EQ(Scroll(help).nPos, start.maxScroll);
  Bar(help, SB_TOP);
  Wheel(help, 120);
  EXPECT_EQ(View(help).scroll, 0);

  // A topic shorter than the pane has nothing to scroll and ignores the wheel.
  Resize(help, 1000, 750);
  Key(help, VK_UP);
  Key(help, VK_UP);
  Key(help, VK_UP);
  Key(help, VK_UP);  // "Themes"
  ASSERT_EQ(View(help).topic, 2);
  ASSERT_EQ(View(help).maxScroll, 0);
  Wheel(help, -120);
  Bar(help, SB_PAGEDOWN);
  EXPECT_EQ(View(help).scroll, 0);
}

TEST_F(Help, MouseHoversAndClicksTopicRows) {
  HWND help = Open();
  ASSERT_NE(help, nullptr);
  const int row5 = 40 + 12 + 32 * 5 + 10;
  SendMessageW(help, WM_MOUSEMOVE, 0, MAKELPARAM(60, row5));
  EXPECT_EQ(View(help).hover, 5);
  SendMessageW(help, WM_MOUSEMOVE, 0, MAKELPARAM(400, row5));  // over the text
  EXPECT_EQ(View(help).hover, -1);
  SendMessageW(help, WM_MOUSEMOVE, 0, MAKELPARAM(60, row5 - 32));
  SendMessageW(help, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(View(help).hover, -1);
  Wheel(help, -120);
  SendMessageW(help, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, row5));
  EXPECT_EQ(View(help).topic, 5);
  EXPECT_EQ(View(help).scroll, 0);
  EXPECT_EQ(g_settings.helpTopic, 5u);
  SendMessageW(help, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 45));  // above the rows
  EXPECT_EQ(View(help).topic, 5);
}

TEST_F(Help, ClosingStoresSizeAndTopicAndTheNextOpeningRestoresThem) {
  HWND help = Open();
  ASSERT_NE(help, nullptr);
  Resize(help, 300, 200);  // below the minimum tracking size
  EXPECT_GE(Outer(help).cx, 600);
  EXPECT_GE(Outer(help).cy, 420);
  Resize(help, 720, 520);
  Key(help, VK_DOWN);
  Key(help, VK_DOWN);
  Key(help, VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([] { return g_shell.helpWindow == nullptr; }));
  EXPECT_FALSE(IsWindow(help));
  EXPECT_EQ(g_settings.helpWidth, 720);
  EXPECT_EQ(g_settings.helpHeight, 520);
  EXPECT_EQ(g_settings.helpTopic, 2u);

  help = Open();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(Outer(help).cx, 720);
  EXPECT_EQ(Outer(help).cy, 520);
  EXPECT_EQ(View(help).topic, 2);
  SendMessageW(help, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_shell.helpWindow, nullptr);

  // A stored width below 500 opens the default size.
  g_settings.helpWidth = 400;
  help = Open();
  ASSERT_NE(help, nullptr);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(Outer(help).cx, std::min(static_cast<int>(0.7 * screenWidth), 860));
  EXPECT_EQ(Outer(help).cy, std::min(static_cast<int>(0.8 * screenHeight), 680));
}

TEST_F(Help, ASecondCommandBringsTheSameWindowForward) {
  HWND help = Open();
  ASSERT_NE(help, nullptr);
  SetForegroundWindow(g_shell.mainWindow);
  PumpPending();
  EXPECT_EQ(Open(), help);
  EXPECT_TRUE(PumpUntil([help] { return GetForegroundWindow() == help; }));
  int helpWindows = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM count) {
        wchar_t caption[32] = {};
        GetWindowTextW(window, caption, 32);
        if (lstrcmpW(caption, L"Norvo - Help") == 0) ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&helpWindows));
  EXPECT_EQ(helpWindows, 1);
}

TEST_F(Help, ThemeChangesRepaintInTheNewColoursWithoutLeakingGdiObjects) {
  HWND help = Open();
  ASSERT_NE(help, nullptr);
  RECT client{};
  GetClientRect(help, &client);
  auto pixel = [help](int x, int y) {
    UpdateWindow(help);
    HDC dc = GetDC(help);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(help, dc);
    return c;
  };
  ApplyTheme(1);
  PumpPending();
  const DWORD before = GdiObjectCount();
  ASSERT_GT(before, 0u);
  for (uint32_t theme : {0u, 2u, 4u, 5u, 3u, 1u}) {
    HBRUSH old = View(help).contentBrush;
    ApplyTheme(theme);
    EXPECT_TRUE(PumpUntil([&] { return View(help).contentBrush != old; }));
    EXPECT_EQ(GetObjectType(old), 0u) << "the brush of the theme before is released";
    const ColorPalette& p = PaletteForTheme(theme);
    EXPECT_EQ(pixel(client.right - 3, client.bottom - 3), p.dialogBack) << theme;
    EXPECT_EQ(pixel(3, client.bottom - 3), p.panelBack) << theme;
    EXPECT_EQ(pixel(3, 3), p.panelBack) << theme;
  }
  EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
