// Norvo.exe started from outside: its window, its document, its trace, its exit codes.
#include <Scintilla.h>
#include <gtest/gtest.h>

#include "common/utf.h"
#include "driver.h"
#include "settings/settings.h"

namespace {

class Startup : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempFolder();
    // Each start begins from a settings file the test controls.
    DeleteFileW(W(ConfigFile()));
  }
  std::u16string File(const std::u16string& name, const std::string& bytes) {
    std::u16string path = dir_ + u"\\" + name;
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
  }
  void WriteSettings(const AppSettings& s) {
    std::vector<unsigned char> image = BuildSettingsFile(s);
    ASSERT_TRUE(WriteBytes(ConfigFile(), std::string(image.begin(), image.end())));
  }
  AppSettings StoredSettings() {
    std::string bytes = ReadBytes(ConfigFile());
    AppSettings s;
    EXPECT_TRUE(ParseSettingsFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), s));
    return s;
  }
  static AppSettings QuietDefaults() {
    AppSettings s;
    ResetSettings(s);
    s.firstRun = 0;
    return s;
  }
  std::u16string dir_;
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
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  // Closing stored the last file.
  EXPECT_EQ(StoredSettings().lastFile.Get(), path);
}

TEST_F(Startup, FirstRunWritesACompleteSettingsFile) {
  Program norvo(NorvoExe(), {});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  ASSERT_NE(main, nullptr);
  std::string bytes = ReadBytes(ConfigFile());
  ASSERT_EQ(bytes.size(), kSettingsFileSize);  // written before the window appeared
  EXPECT_EQ(bytes.substr(0, 4), "NORV");
  AppSettings s;
  ASSERT_TRUE(ParseSettingsFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), s));
  EXPECT_EQ(s.firstRun, 0);
  EXPECT_EQ(s.regexBatchSize, 3000u);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
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
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(norvo.WaitForExit(), 0u);
  }
  s.lastFile.Set(dir_ + u"\\gone.txt");
  WriteSettings(s);
  Program norvo(NorvoExe(), {}, /*traced=*/true);
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(norvo.WaitForTrace("Norvo: Last file no longer exists, clearing"));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  EXPECT_TRUE(StoredSettings().lastFile.Empty());
}

TEST_F(Startup, ViewerModeShowsTheFileReadOnlyAndWritesNoSettings) {
  std::u16string path = File(u"view me.txt", "paper text");
  WriteSettings(QuietDefaults());
  std::string before = ReadBytes(ConfigFile());
  Program norvo(NorvoExe(), {u"--viewer", path});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo Viewer - view me.txt");
  ASSERT_NE(main, nullptr);
  HWND editor = ChildById(main, 1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(EditorText(editor), "paper text");
  EXPECT_EQ(SendMessageW(editor, SCI_GETREADONLY, 0, 0), 1);
  EXPECT_EQ(SendMessageW(editor, SCI_STYLEGETBACK, STYLE_DEFAULT, 0), 0xDCEEF5);
  EXPECT_EQ(ChildById(main, 2), nullptr);  // no status bar
  EXPECT_FALSE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  EXPECT_EQ(ReadBytes(ConfigFile()), before);
}

TEST_F(Startup, ViewerFlagAloneGivesAnEmptyViewer) {
  Program norvo(NorvoExe(), {u"--viewer"});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Viewer");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(EditorText(ChildById(main, 1)), "");
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 660);
  EXPECT_EQ(r.bottom - r.top, 820);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
}

TEST_F(Startup, TheFlagInCapitalsIsAFileName) {
  Program norvo(NorvoExe(), {u"--VIEWER"});
  HWND box = norvo.WaitForWindow(u"#32770", u"Norvo - Error");
  ASSERT_NE(box, nullptr);
  std::u16string text = WindowText(ChildById(box, 2500));
  EXPECT_EQ(text.rfind(u"File not found (error 2).", 0), 0u) << Utf16ToUtf8(text);
  PostMessageW(box, WM_COMMAND, 2501, 0);
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
}

TEST_F(Startup, TraceLinesInOrder) {
  std::u16string path = File(u"traced.txt", "a\nb\n");
  WriteSettings(QuietDefaults());
  Program norvo(NorvoExe(), {path}, /*traced=*/true);
  ASSERT_TRUE(norvo.started());
  ASSERT_TRUE(norvo.WaitForTrace("Norvo: FileLoad completed successfully"));
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - traced.txt");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  ASSERT_TRUE(norvo.WaitForTrace("Norvo: COM uninitialized"));

  std::string p = Utf16ToUtf8(path);
  std::vector<std::string> expected = {
      "Norvo: wWinMain started",
      "Norvo: COM initialized",
      "Norvo: Loading settings",
      "Norvo: Parsing command line for --viewer flag",
      "Norvo: Initializing common controls",
      "Norvo: Loading Scintilla.dll",
      "Norvo: Scintilla.dll loaded",
      "Norvo: Loading lexilla.dll",
      "Norvo: lexilla.dll loaded",
      "Norvo: CreateLexer function found",
      "Norvo: Registering Scintilla window class",
      "Norvo: Loading accelerators",
      "Norvo: Registering main window class",
      "Norvo: Window class registered",
      "Norvo: Creating main window",
      "Norvo: Normal mode - using settings for window position",
      "Norvo: Using default position (CW_USEDEFAULT)",
      "Norvo: Window size: 920 x 660, pos: -2147483648, -2147483648",
      "Norvo: Main window created",
      "Norvo: Window shown",
      "Norvo: Processing command line arguments",
      "Norvo: Command line has 2 arguments",
      "Norvo: First argument: " + p,
      "Norvo: Normal mode - loading file from command line",
      "Norvo: Entering message loop",
      "Norvo: FileLoad called for: " + p,
      "Norvo: Opening file with CreateFileW",
      "Norvo: File opened successfully",
      "Norvo: Getting file size",
      "Norvo: File size: 4 bytes",
      "Norvo: Reading file into memory",
      "Norvo: File read successfully",
      "Norvo: Checking for binary content",
      "Norvo: File appears to be text",
      "Norvo: Detecting encoding",
      "Norvo: Encoding detected: UTF-8, BOM size: 0",
      "Norvo: Converting to UTF-8",
      "Norvo: File is UTF-8 (with or without BOM)",
      "Norvo: UTF-8 size: 4 bytes",
      "Norvo: Freeing raw buffer",
      "Norvo: Detecting EOL mode",
      "Norvo: EOL mode: LF (Unix)",
      "Norvo: Setting text in Scintilla",
      "Norvo: Text set in Scintilla",
      "Norvo: Updating margin width",
      "Norvo: Normal mode - applying syntax highlighting",
      "Norvo: FileLoad completed successfully",
      "Norvo: Exited message loop",
      "Norvo: Cleaning up resources",
      "Norvo: lexilla.dll unloaded",
      "Norvo: Scintilla.dll unloaded",
      "Norvo: Exiting with code 0",
      "Norvo: COM uninitialized",
  };
  std::vector<std::string> ours;
  for (const auto& line : norvo.TraceLines())
    if (line.rfind("Norvo: ", 0) == 0 || line == "COM initialization failed") ours.push_back(line);
  EXPECT_EQ(ours, expected);
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
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(viewer.WaitForExit(), 0u);
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
  EXPECT_TRUE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(main, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 204);
  EXPECT_TRUE(flags & LWA_ALPHA);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
}

TEST_F(Startup, OnlyTheFirstOfTwoFilesIsOpened) {
  std::u16string first = File(u"first.txt", "one");
  std::u16string second = File(u"second.txt", "two");
  Program norvo(NorvoExe(), {first, second});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - first.txt");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(EditorText(ChildById(main, 1)), "one");
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
}
}  // namespace
