// Faults on the file system, injected from outside while Norvo runs (scripts/fault-volume gives
// a small volume, a read-only one and an injector that acts behind Wine's back). In every case
// the editor keeps the text, the file on disk is the old one or the new one, never a mix, the
// user is told, and nothing crashes. Skipped without the volumes.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "common/utf.h"
#include "driver.h"

namespace {

std::u16string Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length && length < 1024 ? U16(value) : std::u16string();
}

class Faults : public ScratchTest {
 protected:
  Faults() : ScratchTest(u"faults") {}
  void SetUp() override {
    volume_ = Environment(L"NORVO_FAULT_VOLUME");
    readonly_ = Environment(L"NORVO_FAULT_READONLY");
    control_ = Environment(L"NORVO_FAULT_CONTROL");
    if (volume_.empty() || control_.empty()) GTEST_SKIP() << "no fault volumes (run inside scripts/fault-volume)";
    for (char16_t& c : control_) c = c == u'/' ? u'\\' : c;
    control_ = u"Z:" + control_;
    ScratchTest::SetUp();
  }

  // Asks the injector to act (remove, readonly, writable) on a path of the volume or on
  // "settings"; true when it has.
  bool Inject(const std::string& verb, const std::string& target) {
    static int request = 0;
    const std::u16string name = control_ + u"\\" + Utf8ToUtf16(std::to_string(++request));
    if (!WriteBytes(name + u".tmp", verb + " " + target + "\n") || !MoveFileW(W(name + u".tmp"), W(name + u".cmd")))
      return false;
    std::string done;
    return WaitUntil([&] { return !(done = ReadBytes(name + u".done")).empty(); }) && done.rfind("0", 0) == 0;
  }

  // The themed message box of that title: its text, then OK.
  static std::u16string Told(Program& norvo, const std::u16string& title, DWORD timeoutMs = 15000) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = norvo.WaitForWindow(u"#32770", title, 100)) && ChildById(box, 2500); },
                   timeoutMs))
      return u"<nothing was shown>";
    const std::u16string text = WindowText(ChildById(box, 2500));
    PostMessageW(box, WM_COMMAND, 2501, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
  }

  // Closes a window whose document is modified: "Don't Save" at the question.
  static void CloseWithoutSaving(Program& norvo, HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    HWND box = norvo.WaitForWindow(u"#32770", u"Norvo");
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, 2502, 0);
    EXPECT_EQ(norvo.WaitForExit(), 0u);
  }

  static std::string Text(size_t bytes, const std::string& line) {
    std::string text;
    while (text.size() < bytes) text += line + "\r\n";
    return text;
  }

  std::u16string volume_, readonly_, control_;
};

const std::u16string kSaveError = u"Norvo \u2014 Error";

TEST_F(Faults, ASaveOntoAFullVolumeKeepsTheOldFileAndTheText) {
  const std::u16string path = volume_ + u"\\full.txt";
  const std::string before = Text(2000, "the file as it was");
  ASSERT_TRUE(WriteBytes(path, before));
  // Fill the volume.
  const std::u16string filler = volume_ + u"\\filler";
  HANDLE fill = CreateFileW(W(filler), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(fill, INVALID_HANDLE_VALUE);
  const std::string block(4096, 'f');
  DWORD written = 0;
  for (size_t piece = 4096; piece >= 64; piece /= 4)
    while (WriteFile(fill, block.data(), static_cast<DWORD>(piece), &written, nullptr) && written == piece) {
    }
  CloseHandle(fill);

  Program norvo(NorvoExe(), {path});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - full.txt");
  ASSERT_NE(main, nullptr);
  HWND editor = ChildById(main, 1);
  const std::string after = Text(100000, "the new text that does not fit");
  SetEditorText(editor, after);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - full.txt *"; }));
  PostMessageW(main, WM_COMMAND, 1003, 0);
  EXPECT_EQ(Told(norvo, kSaveError), u"Cannot save file.");
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(EditorText(editor), after);
  EXPECT_EQ(WindowText(main), u"Norvo - full.txt *");

  // With room again the same save succeeds, whole.
  ASSERT_TRUE(DeleteFileW(W(filler)));
  PostMessageW(main, WM_COMMAND, 1003, 0);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - full.txt"; }));
  EXPECT_EQ(ReadBytes(path), after);
  CloseAndExpectExitZero(norvo, main);
}

TEST_F(Faults, ASaveOntoAReadOnlyVolumeKeepsTheText) {
  const std::u16string path = readonly_ + u"\\doc.txt";
  const std::string before = ReadBytes(path);
  ASSERT_EQ(before, "read-only original\r\n");
  Program norvo(NorvoExe(), {path});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main).find(u"doc.txt") != std::u16string::npos; }));
  HWND editor = ChildById(main, 1);
  SetEditorText(editor, "changed\r\n");
  PostMessageW(main, WM_COMMAND, 1003, 0);
  EXPECT_EQ(Told(norvo, kSaveError), u"Cannot save file.");
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(EditorText(editor), "changed\r\n");
  CloseWithoutSaving(norvo, main);
}

TEST_F(Faults, ASaveAfterTheFolderWasRemovedIsTold) {
  ASSERT_TRUE(CreateDirectoryW(W(volume_ + u"\\gone"), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  const std::u16string path = volume_ + u"\\gone\\doc.txt";
  ASSERT_TRUE(WriteBytes(path, "first\r\n"));
  Program norvo(NorvoExe(), {path});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - doc.txt");
  ASSERT_NE(main, nullptr);
  HWND editor = ChildById(main, 1);
  SetEditorText(editor, "second\r\n");
  ASSERT_TRUE(Inject("remove", "gone"));
  PostMessageW(main, WM_COMMAND, 1003, 0);
  EXPECT_EQ(Told(norvo, kSaveError), u"Cannot save file.");
  EXPECT_EQ(GetFileAttributesW(W(volume_ + u"\\gone")), INVALID_FILE_ATTRIBUTES);  // nothing half made
  EXPECT_EQ(EditorText(editor), "second\r\n");
  CloseWithoutSaving(norvo, main);
}

TEST_F(Faults, AFileDeletedWhileOpenIsSavedWholeAgain) {
  const std::u16string path = volume_ + u"\\deleted.txt";
  ASSERT_TRUE(WriteBytes(path, "before\r\n"));
  Program norvo(NorvoExe(), {path});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - deleted.txt");
  ASSERT_NE(main, nullptr);
  HWND editor = ChildById(main, 1);
  const std::string after = Text(20000, "typed after the file was deleted");
  SetEditorText(editor, after);
  ASSERT_TRUE(Inject("remove", "deleted.txt"));
  ASSERT_EQ(GetFileAttributesW(W(path)), INVALID_FILE_ATTRIBUTES);
  PostMessageW(main, WM_COMMAND, 1003, 0);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - deleted.txt"; }));
  EXPECT_EQ(ReadBytes(path), after);
  CloseAndExpectExitZero(norvo, main);
}

TEST_F(Faults, SettingsThatCannotBeWrittenAreToldOnce) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
  ASSERT_TRUE(Inject("readonly", "settings"));
  Program norvo(NorvoExe(), {});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  if (!main) Inject("writable", "settings");
  ASSERT_NE(main, nullptr);
  SendMessageW(main, WM_COMMAND, 3102, 0);  // another theme, stored at once
  const std::u16string told = Told(norvo, u"Norvo");
  EXPECT_EQ(told.rfind(u"Norvo could not save its settings to:\n\n" + U16(appData) + u"\\Norvo\\norvo.cfg", 0), 0u)
      << Utf16ToUtf8(told);
  // A second failure is not told again: the window closes without a question in between.
  SendMessageW(main, WM_COMMAND, 3103, 0);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  EXPECT_TRUE(Inject("writable", "settings"));
}

// The Export dialog's row `index`, then the save dialog of that title answered with `path`.
void ExportTo(Program& norvo, HWND main, int index, const std::u16string& saveTitle, const std::u16string& path) {
  PostMessageW(main, WM_COMMAND, 3333, 0);
  HWND dialog = norvo.WaitForWindow(u"#32770", u"Norvo - Export");
  ASSERT_NE(dialog, nullptr);
  HWND combo = ChildById(dialog, 401);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(401, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  PostMessageW(dialog, WM_COMMAND, 403, 0);
  HWND save = norvo.WaitForWindow(u"", saveTitle);
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return FileNameField(save) != nullptr; }));
  ChooseInFileDialog(save, path);
}

// The chosen folder is gone by the time the page is written (it went while the size question
// was up): the user is told, and nothing is left.
TEST_F(Faults, AnHtmlExportWhoseFolderWentIsTold) {
  ASSERT_TRUE(CreateDirectoryW(W(volume_ + u"\\out"), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  // Above a million bytes (a question comes first) but below the line limit of HTML export.
  const std::u16string source = File(
      u"long.txt", Text(1'500'000, "a line of a plain document to export, made long enough that the lines stay few"));
  Program norvo(NorvoExe(), {source});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - long.txt");
  ASSERT_NE(main, nullptr);
  ExportTo(norvo, main, 1, u"Export File - Norvo", volume_ + u"\\out\\page.html");
  HWND question = norvo.WaitForWindow(u"#32770", u"Norvo - Export");
  ASSERT_NE(question, nullptr);
  ASSERT_TRUE(Inject("remove", "out"));
  EXPECT_NE(Told(norvo, u"Norvo - Export").find(u"Export may take a while."), std::u16string::npos);  // Yes
  const std::u16string told = Told(norvo, u"Norvo - Export");
  EXPECT_EQ(told.rfind(u"Cannot write file.", 0), 0u) << Utf16ToUtf8(told);
  EXPECT_EQ(GetFileAttributesW(W(volume_ + u"\\out")), INVALID_FILE_ATTRIBUTES);
  CloseAndExpectExitZero(norvo, main);
}

// The folder goes while the PDF's pages are being written: the file cannot be put in place,
// and the user is told instead of hearing nothing.
TEST_F(Faults, APdfExportWhoseFolderGoesMidWriteIsTold) {
  ASSERT_TRUE(CreateDirectoryW(W(volume_ + u"\\pdf"), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  std::string source;
  for (int i = 1; i <= 9000; ++i) source += "int value" + std::to_string(i) + " = " + std::to_string(i) + "; // line\r\n";
  Program norvo(NorvoExe(), {File(u"long.cpp", source)});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - long.cpp");
  ASSERT_NE(main, nullptr);
  ExportTo(norvo, main, 0, u"Export as PDF", volume_ + u"\\pdf\\long.pdf");
  ASSERT_NE(norvo.WaitForWindow(u"#32770", u"Exporting PDF"), nullptr);
  ASSERT_TRUE(Inject("remove", "pdf"));
  const std::u16string told = Told(norvo, u"Norvo - PDF Export", 60000);
  EXPECT_EQ(told.rfind(u"Cannot write file.", 0), 0u) << Utf16ToUtf8(told);
  EXPECT_EQ(GetFileAttributesW(W(volume_ + u"\\pdf")), INVALID_FILE_ATTRIBUTES);
  CloseAndExpectExitZero(norvo, main);
}

}  // namespace
