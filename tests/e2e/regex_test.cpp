// The Regex Search dialog driven from outside, and its session log on disk.
#include <gtest/gtest.h>

#include "driver.h"

namespace {

// The newest regex_*.txt in the configuration folder.
std::u16string NewestLog() { return NewestFile(ConfigFile().substr(0, ConfigFile().rfind(u'\\')), u"regex_*.txt"); }

TEST(RegexDialog, FindAllFromOutsideWritesTheLog) {
  WriteDefaultSettings();
  std::u16string file = TempFolder() + u"\\regex.txt";
  ASSERT_TRUE(WriteBytes(file, "jumping\nrunning late\nsing"));
  Program norvo(NorvoExe(), {file});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - regex.txt");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, 817, 0);
  HWND dialog = norvo.WaitForWindow(u"#32770", u"Regex Search - Norvo Editor");
  ASSERT_NE(dialog, nullptr);
  auto status = [&] { return WindowText(ChildById(dialog, 816)); };
  EXPECT_EQ(status(), u"Ready");
  SendMessageW(ChildById(dialog, 801), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"[a-z]+ing"));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(829, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil([&] { return status() == u"Search complete. Found 3 matches."; }));
  EXPECT_EQ(SendMessageW(ChildById(dialog, 825), LB_GETCOUNT, 0, 0), 3);

  // The log's lines are the session log's own tests; here it is on disk, whole.
  std::string log = ReadBytes(NewestLog());
  EXPECT_EQ(log.rfind("Regex Session Log\nPattern:    [a-z]+ing\n", 0), 0u) << log;
  EXPECT_NE(log.find("[1] Ln 3  Pos 21-25: sing\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Total matches found: 3\n"), std::string::npos) << log;

  // Open Results starts a second editor on the log.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(814, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil([&] { return status() == u"Results file opened."; }));
  std::u16string logName = NewestLog().substr(NewestLog().rfind(u'\\') + 1);
  HWND second = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    second = FindWindowW(L"NorvoMainWindow", W(u"Norvo - " + logName));
    return second != nullptr;
  }));
  DWORD secondPid = 0;
  GetWindowThreadProcessId(second, &secondPid);
  EXPECT_NE(secondPid, norvo.pid());
  PostMessageW(second, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(second); }));

  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(815, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  CloseAndExpectExitZero(norvo, main);
}

}  // namespace
