// The Settings and Font dialogs reached from outside: the toolbar button, the shortcut, and
// what OK leaves in the settings file.
#include <gtest/gtest.h>

#include "app/shell_logic.h"
#include "driver.h"
#include "settings/settings.h"

namespace {

AppSettings StoredSettings() {
  const std::string bytes = ReadBytes(ConfigFile());
  AppSettings s;
  ResetSettings(s);
  ParseSettingsFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), s);
  return s;
}

// A click on toolbar button `index`, as the mouse gives it.
void ClickToolbarButton(HWND main, int index) {
  HWND toolbar = FindWindowExW(main, nullptr, L"NorvoToolbar", nullptr);
  ASSERT_NE(toolbar, nullptr);
  RECT rc;
  GetClientRect(toolbar, &rc);
  const LPARAM at = MAKELPARAM(ToolbarButtonLeft(rc.right, index) + 30, 20);
  PostMessageW(toolbar, WM_MOUSEMOVE, 0, at);
  PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(toolbar, WM_LBUTTONUP, 0, at);
}

// Ctrl+Shift+F typed on the keyboard into the foreground window.
void TypeCtrlShiftF(HWND main) {
  SetForegroundWindow(main);
  INPUT keys[6] = {};
  const WORD sequence[3] = {VK_CONTROL, VK_SHIFT, 'F'};
  for (int i = 0; i < 3; ++i) {
    keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = keys[5 - i].ki.wVk = sequence[i];
    keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(6, keys, sizeof(INPUT));
}

TEST(Preferences, SettingsFromTheToolbarAndFontFromItsShortcut) {
  AppSettings s;
  ResetSettings(s);
  s.firstRun = 0;
  WriteSettings(s);
  Program norvo(NorvoExe(), {});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  ASSERT_NE(main, nullptr);

  ClickToolbarButton(main, 4);
  HWND settings = norvo.WaitForWindow(u"#32770", u"Norvo - Settings");
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(WindowText(ChildById(settings, 312)), u"Font: Consolas, 11 pt");
  SendMessageW(ChildById(settings, 303), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"30"));
  PostMessageW(settings, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
  EXPECT_EQ(StoredSettings().transparency, 30);
  EXPECT_NE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_LAYERED, 0);

  TypeCtrlShiftF(main);
  HWND font = norvo.WaitForWindow(u"#32770", u"Font - Norvo");
  ASSERT_NE(font, nullptr);
  SendMessageW(ChildById(font, 203), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"14"));
  PostMessageW(font, WM_COMMAND, 208, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(font); }));
  EXPECT_EQ(StoredSettings().fontSize, 14);

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
}

}  // namespace
