// Norvo.exe started from outside: its window, its document, its trace, its exit codes.
#include <Scintilla.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "common/utf.h"
#include "driver.h"
#include "settings/settings.h"

namespace {

class Startup : public ScratchTest {
 protected:
  Startup() : ScratchTest(u"startup") {}
};

TEST_F(Startup, OpensTheCommandLineFileAndClosesWithCodeZero) {
  std::u16string path = File(u"hello.txt", "Hello from the test\r\nsecond line\r\n");
  Program norvo(NorvoExe(), {path});
  ASSERT_TRUE(norvo.started());
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - hello.txt");
  ASSERT_NE(main, nullptr);
  HWND editor = ChildById(main, 1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(EditorText(editor), "Hello from the test\r\nsecond line\r\n");
  EXPECT_NE(ChildById(main, 2), nullptr);  // status bar
  CloseAndExpectExitZero(norvo, main);
  // Closing stored the last file.
  EXPECT_EQ(StoredSettings().lastFile.Get(), path);
}

TEST_F(Startup, FirstRunWritesACompleteSettingsFile) {
  DeleteFileW(W(ConfigFile()));
  Program norvo(NorvoExe(), {});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  ASSERT_NE(main, nullptr);
  std::string bytes = ReadBytes(ConfigFile());
  ASSERT_EQ(bytes.size(), kSettingsFileSize);  // written before the window appeared
  EXPECT_EQ(bytes.substr(0, 4), "NORV");
  AppSettings s;
  ASSERT_TRUE(ParseSettingsFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), s));
  EXPECT_EQ(s.firstRun, 0);
  CloseAndExpectExitZero(norvo, main);
}

TEST_F(Startup, ReopensTheLastFileAndForgetsOneThatVanished) {
  std::u16string kept = File(u"kept.txt", "kept");
  AppSettings s = QuietDefaults();
  s.lastFile.Set(kept);
  WriteSettings(s);
  {
    Program norvo(NorvoExe(), {});
    HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - kept.txt");
    ASSERT_NE(main, nullptr);
    CloseAndExpectExitZero(norvo, main);
  }
  s.lastFile.Set(dir_ + u"\\gone.txt");
  WriteSettings(s);
  Program norvo(NorvoExe(), {}, /*traced=*/true);
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(norvo.WaitForTrace("Norvo: Last file no longer exists, clearing"));
  CloseAndExpectExitZero(norvo, main);
  EXPECT_TRUE(StoredSettings().lastFile.Empty());
}

TEST_F(Startup, ViewerModeShowsTheFileReadOnlyAndWritesNoSettings) {
  std::u16string path = File(u"view me.txt", "paper text");
  std::string before = ReadBytes(ConfigFile());
  Program norvo(NorvoExe(), {u"--viewer", path});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo Viewer - view me.txt");
  ASSERT_NE(main, nullptr);
  HWND editor = ChildById(main, 1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(EditorText(editor), "paper text");
  EXPECT_EQ(SendMessageW(editor, SCI_GETREADONLY, 0, 0), 1);
  EXPECT_EQ(SendMessageW(editor, SCI_STYLEGETBACK, STYLE_DEFAULT, 0), 0xDCEEF5);  // the viewer's paper
  EXPECT_EQ(ChildById(main, 2), nullptr);  // no status bar
  EXPECT_FALSE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  CloseAndExpectExitZero(norvo, main);
  EXPECT_EQ(ReadBytes(ConfigFile()), before);
}

// The trace follows the start, the load and the end in order; these are its milestones.
TEST_F(Startup, TraceLinesInOrder) {
  std::u16string path = File(u"traced.txt", "a\nb\n");
  Program norvo(NorvoExe(), {path}, /*traced=*/true);
  ASSERT_TRUE(norvo.started());
  ASSERT_TRUE(norvo.WaitForTrace("Norvo: FileLoad completed successfully"));
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - traced.txt");
  ASSERT_NE(main, nullptr);
  CloseAndExpectExitZero(norvo, main);
  ASSERT_TRUE(norvo.WaitForTrace("Norvo: COM uninitialized"));

  const std::string p = Utf16ToUtf8(path);
  const std::vector<std::string> milestones = {
      "Norvo: wWinMain started", "Norvo: COM initialized", "Norvo: Scintilla.dll loaded", "Norvo: lexilla.dll loaded",
      "Norvo: Main window created", "Norvo: Entering message loop", "Norvo: FileLoad called for: " + p,
      "Norvo: File size: 4 bytes", "Norvo: Encoding detected: UTF-8, BOM size: 0", "Norvo: EOL mode: LF (Unix)",
      "Norvo: FileLoad completed successfully", "Norvo: Exited message loop", "Norvo: lexilla.dll unloaded",
      "Norvo: Scintilla.dll unloaded", "Norvo: Exiting with code 0", "Norvo: COM uninitialized"};
  const std::vector<std::string> lines = norvo.TraceLines();
  auto at = lines.begin();
  for (const std::string& milestone : milestones) {
    at = std::find(at, lines.end(), milestone);
    ASSERT_NE(at, lines.end()) << "missing or out of order: " << milestone;
  }
}

TEST_F(Startup, MissingScintillaIsFatalWithCodeOne) {
  // A copy of the program alone in a folder, without its libraries.
  std::u16string lonely = dir_ + u"\\lonely";
  CreateDirectoryW(W(lonely), nullptr);
  std::u16string exe = lonely + u"\\Norvo.exe";
  ASSERT_TRUE(CopyFileW(W(NorvoExe()), W(exe), FALSE));
  Program norvo(exe, {});
  HWND box = norvo.WaitForWindow(u"#32770", u"Norvo - Fatal Error");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(ChildById(box, 2500)), u"Scintilla.dll not found.\nPlace Scintilla.dll next to Norvo.exe.");
  PostMessageW(box, WM_COMMAND, 2501, 0);
  EXPECT_EQ(norvo.WaitForExit(), 1u);
  DeleteFileW(W(exe));
  RemoveDirectoryW(W(lonely));
}

TEST_F(Startup, MissingLexillaIsFatalOnlyOutsideTheViewer) {
  std::u16string half = dir_ + u"\\half";
  CreateDirectoryW(W(half), nullptr);
  std::u16string exe = half + u"\\Norvo.exe";
  ASSERT_TRUE(CopyFileW(W(NorvoExe()), W(exe), FALSE));
  ASSERT_TRUE(CopyFileW(W(ProgramFolder() + u"\\Scintilla.dll"), W(half + u"\\Scintilla.dll"), FALSE));
  {
    Program norvo(exe, {});
    HWND box = norvo.WaitForWindow(u"#32770", u"Norvo - Fatal Error");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(ChildById(box, 2500)), u"lexilla.dll not found.\nPlace lexilla.dll next to Norvo.exe.");
    PostMessageW(box, WM_COMMAND, 2501, 0);
    EXPECT_EQ(norvo.WaitForExit(), 1u);
  }
  {
    Program viewer(exe, {u"--viewer"});
    HWND main = viewer.WaitForWindow(u"NorvoMainWindow", u"Norvo - Viewer");
    ASSERT_NE(main, nullptr);
    CloseAndExpectExitZero(viewer, main);
  }
  DeleteFileW(W(exe));
  DeleteFileW(W(half + u"\\Scintilla.dll"));
  RemoveDirectoryW(W(half));
}

}  // namespace

namespace {
TEST_F(Startup, StoredSizeWithOneDefaultCoordinateAndTransparency) {
  AppSettings s = QuietDefaults();
  s.windowX = 100;
  s.windowY = kDefaultWindowPosition;  // either coordinate at the default means the default position
  s.windowWidth = 700;
  s.windowHeight = 500;
  s.transparency = 20;
  WriteSettings(s);
  Program norvo(NorvoExe(), {}, /*traced=*/true);
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(norvo.WaitForTrace("Norvo: Using default position (CW_USEDEFAULT)"));
  EXPECT_TRUE(norvo.WaitForTrace("Norvo: Window size: 700 x 500, pos: -2147483648, -2147483648"));
  EXPECT_TRUE(norvo.WaitForTrace("Norvo: Applying window transparency"));
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 700);
  EXPECT_EQ(r.bottom - r.top, 500);
  BYTE alpha = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(main, nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 204);  // the stored 20 %
  CloseAndExpectExitZero(norvo, main);
}

}  // namespace
