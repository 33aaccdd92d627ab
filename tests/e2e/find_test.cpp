// The Find and Replace dialog driven from outside: combo texts, buttons, the status line.
#include <Scintilla.h>
#include <gtest/gtest.h>

#include "driver.h"
#include "settings/settings.h"

namespace {

TEST(FindDialog, DrivenFromOutside) {
  AppSettings s;
  ResetSettings(s);
  s.firstRun = 0;
  std::vector<unsigned char> image = BuildSettingsFile(s);
  ASSERT_TRUE(WriteBytes(ConfigFile(), std::string(image.begin(), image.end())));
  std::u16string file = TempFolder() + u"\\find.txt";
  ASSERT_TRUE(WriteBytes(file, "red green red blue red"));
  Program norvo(NorvoExe(), {file});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - find.txt");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, 2007, 0);
  HWND dialog = norvo.WaitForWindow(u"#32770", u"Norvo - Find & Replace");
  ASSERT_NE(dialog, nullptr);
  auto status = [&] { return WindowText(ChildById(dialog, 516)); };
  auto press = [&](int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };

  SendMessageW(ChildById(dialog, 501), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"red"));
  press(510);
  ASSERT_TRUE(WaitUntil([&] { return status() == u"3 matches found."; }));
  HWND editor = ChildById(main, 1);
  EXPECT_EQ(SendMessageW(editor, SCI_GETSELECTIONEND, 0, 0), 3);

  SendMessageW(ChildById(dialog, 502), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"pink"));
  press(513);
  ASSERT_TRUE(WaitUntil([&] { return status() == u"3 occurrence(s) replaced."; }));
  EXPECT_EQ(EditorText(editor), "pink green pink blue pink");
  EXPECT_EQ(WindowText(main), u"Norvo - find.txt *");

  press(515);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  PostMessageW(main, WM_CLOSE, 0, 0);
  HWND question = norvo.WaitForWindow(u"#32770", u"Norvo");
  ASSERT_NE(question, nullptr);
  PostMessageW(question, WM_COMMAND, 2502, 0);  // don't save
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  EXPECT_EQ(ReadBytes(file), "red green red blue red");
}

}  // namespace
