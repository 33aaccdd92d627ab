// Saving never damages the file on disk: a save that fails part-way (a full volume, a
// refused temporary file) leaves the original bytes, no temporary file, the lock and the
// document as they were. Also the viewer, which never writes, and the shell's own faults
// that could lose or damage data: stacked auto-save boxes, a failed creation that wrote
// the settings, stored values out of range, the placement and the dialog class brush.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include <algorithm>
#include <vector>

#include "app/mainwindow_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/autosave_win.h"
#include "document/document_hooks_win.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "document/safe_save_win.h"
#include "harness.h"
#include "settings/settings_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/theme_win.h"
#include "ui/ui_hooks_win.h"

namespace {

// A volume that takes `g_room` more bytes and then reports success with a short count and
// no error, as a full tmpfs does under Wine.
size_t g_room = 0;
BOOL WINAPI WriteUntilFull(HANDLE file, LPCVOID data, DWORD count, LPDWORD done, LPOVERLAPPED overlapped) {
  DWORD allowed = static_cast<DWORD>(std::min<size_t>(count, g_room));
  g_room -= allowed;
  if (allowed == 0) {
    *done = 0;
    return TRUE;
  }
  return WriteFile(file, data, allowed, done, overlapped);
}

// A folder where files can be written but not created.
HANDLE WINAPI RefuseNewFiles(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                             DWORD flags, HANDLE templateFile) {
  if (disposition == CREATE_NEW || disposition == CREATE_ALWAYS) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(name, access, share, sa, disposition, flags, templateFile);
}

std::vector<std::u16string> FilesIn(const std::u16string& folder) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(W(folder + u"\\*"), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::u16string name = U16(fd.cFileName);
    if (name != u"." && name != u"..") names.push_back(name);
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

FILETIME WriteTime(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(W(path), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// The volume and the folder behave normally again.
void DiskAsUsual() {
  g_documentHooks.writeFile = WriteFile;
  g_documentHooks.openForSave = CreateFileW;
}

class SafeSave : public MainWindowTest {
 protected:
  void OpenWithText(const std::u16string& path, const char* text) {
    ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, path));
    Sci(SCI_SETTEXT, 0, text);
    PumpPending();
    ASSERT_TRUE(g_doc.modified);
  }
};

struct FullDiskCase {
  const char* name;
  const char* original;  // with a mark when it starts with EF BB BF
  const char* edited;
  size_t room;       // bytes the volume takes before it is full
  bool tempRefused;  // no file can be created in the folder: written in place
};
class SaveOnAFullVolume : public SafeSave, public testing::WithParamInterface<FullDiskCase> {};

TEST_P(SaveOnAFullVolume, LeavesTheOriginalAndTheDocumentAsTheyWere) {
  const FullDiskCase& c = GetParam();
  std::u16string path = temp_.Write(u"doc.txt", c.original);
  OpenWithText(path, c.edited);
  g_room = c.room;
  g_documentHooks.writeFile = WriteUntilFull;
  if (c.tempRefused) g_documentHooks.openForSave = RefuseNewFiles;
  EXPECT_FALSE(SaveDocument(g_shell.mainWindow));
  DiskAsUsual();

  EXPECT_TRUE(OneMessage(u"Norvo \u2014 Error", u"Cannot save file."));
  EXPECT_EQ(ReadBytes(path), c.original);
  EXPECT_EQ(FilesIn(temp_.Folder()), std::vector<std::u16string>{u"doc.txt"});  // no temporary file
  EXPECT_TRUE(g_doc.modified);
  EXPECT_EQ(MainTitle(), u"Norvo - doc.txt *");
  EXPECT_EQ(GetDocumentText(), c.edited);
  EXPECT_TRUE(LockedAgainstWriters(path));

  // With room again the same document saves, and exactly its bytes are on disk.
  ClearMessages();
  EXPECT_TRUE(SaveDocument(g_shell.mainWindow));
  std::string mark = std::string(c.original).rfind("\xEF\xBB\xBF", 0) == 0 ? "\xEF\xBB\xBF" : "";
  EXPECT_EQ(ReadBytes(path), mark + c.edited);
  EXPECT_EQ(FilesIn(temp_.Folder()), std::vector<std::u16string>{u"doc.txt"});
  EXPECT_TRUE(LockedAgainstWriters(path));
}
INSTANTIATE_TEST_SUITE_P(
    Cases, SaveOnAFullVolume,
    testing::Values(FullDiskCase{"nothing_fits", "original text", "a new and longer text", 0, false},
                    FullDiskCase{"part_fits", "original text", "a new and longer text", 7, false},
                    FullDiskCase{"all_but_one", "original text", "a new and longer text", 20, false},
                    FullDiskCase{"shorter_text", "original text", "short", 2, false},
                    FullDiskCase{"mark_only_fits",
                                 "\xEF\xBB\xBF"
                                 "marked",
                                 "marked and more", 3, false},
                    FullDiskCase{"mark_part_fits",
                                 "\xEF\xBB\xBF"
                                 "marked",
                                 "marked and more", 1, false},
                    FullDiskCase{"in_place_nothing_fits", "original text", "a new and longer text", 0, true},
                    FullDiskCase{"in_place_part_of_the_growth", "original text", "a new and longer text", 5, true},
                    FullDiskCase{"in_place_marked",
                                 "\xEF\xBB\xBF"
                                 "marked",
                                 "marked and more", 4, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Where no file can be created beside the document it is written in place, longer or
// shorter, and stays locked.
TEST_F(SafeSave, InPlaceWhenTheFolderRefusesNewFiles) {
  std::u16string path = temp_.Write(u"doc.txt", "0123456789");
  g_documentHooks.openForSave = RefuseNewFiles;
  for (const char* text : {"a longer text than before", "tiny", ""}) {
    OpenWithText(path, text);
    EXPECT_TRUE(SaveDocument(g_shell.mainWindow)) << text;
    EXPECT_EQ(ReadBytes(path), text);
    EXPECT_TRUE(LockedAgainstWriters(path));
  }
  EXPECT_EQ(FilesIn(temp_.Folder()), std::vector<std::u16string>{u"doc.txt"});
  EXPECT_TRUE(g_shownMessages.empty());
}

TEST_F(SafeSave, KeepsTheAttributesOfTheOriginalAndTheLock) {
  std::u16string path = temp_.Write(u"attrs.txt", "before");
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(W(path), kept));
  OpenWithText(path, "after");
  EXPECT_TRUE(SaveDocument(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(path), "after");
  EXPECT_EQ(GetFileAttributesW(W(path)) & (kept | FILE_ATTRIBUTE_READONLY), kept);
  EXPECT_TRUE(LockedAgainstWriters(path));
  EXPECT_EQ(FilesIn(temp_.Folder()), std::vector<std::u16string>{u"attrs.txt"});

  // A read-only attribute set while the document was open survives the save as well.
  ASSERT_TRUE(SetFileAttributesW(W(path), kept | FILE_ATTRIBUTE_READONLY));
  Sci(SCI_SETTEXT, 0, "again");
  EXPECT_TRUE(SaveDocument(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(path), "again");
  EXPECT_EQ(GetFileAttributesW(W(path)) & (kept | FILE_ATTRIBUTE_READONLY), kept | FILE_ATTRIBUTE_READONLY);
  g_doc.fileHandle.reset();
  SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);
}

struct SaveAsFailure {
  const char* name;
  const char16_t* target;  // inside the test folder
  size_t room;             // SIZE_MAX: the volume has room
};
class FailedSaveAs : public SafeSave, public testing::WithParamInterface<SaveAsFailure> {};

TEST_P(FailedSaveAs, KeepsPathTitleAndLock) {
  std::u16string path = temp_.Write(u"first.txt", "first");
  OpenWithText(path, "first, edited");
  g_fileDialogAnswer = temp_.Path(GetParam().target);
  if (GetParam().room != SIZE_MAX) {
    g_room = GetParam().room;
    g_documentHooks.writeFile = WriteUntilFull;
  }
  EXPECT_FALSE(SaveDocumentAs(g_shell.mainWindow));
  DiskAsUsual();
  EXPECT_TRUE(OneMessage(u"Norvo \u2014 Error", u"Cannot save file."));
  EXPECT_EQ(g_doc.path, path);
  EXPECT_EQ(MainTitle(), u"Norvo - first.txt *");
  EXPECT_TRUE(g_doc.modified);
  EXPECT_TRUE(LockedAgainstWriters(path));
  EXPECT_EQ(ReadBytes(path), "first");
  EXPECT_EQ(FilesIn(temp_.Folder()), std::vector<std::u16string>{u"first.txt"});
}
INSTANTIATE_TEST_SUITE_P(Cases, FailedSaveAs,
                         testing::Values(SaveAsFailure{"missing_folder", u"no such folder\\second.txt", SIZE_MAX},
                                         SaveAsFailure{"full_volume", u"second.txt", 4}),
                         [](const auto& info) { return std::string(info.param.name); });

// Save As moves the lock, and over another file replaces it whole.
TEST_F(SafeSave, SaveAsOverAnotherFileReplacesItWhole) {
  std::u16string path = temp_.Write(u"one.txt", "one");
  std::u16string other = temp_.Write(u"other.txt", "a much longer text that was there before");
  OpenWithText(path, "two");
  g_fileDialogAnswer = other;
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_SAVE_AS, 0);
  EXPECT_EQ(ReadBytes(other), "two");
  EXPECT_EQ(ReadBytes(path), "one");
  EXPECT_EQ(g_doc.path, other);
  EXPECT_EQ(MainTitle(), u"Norvo - other.txt");
  EXPECT_TRUE(LockedAgainstWriters(other));
  EXPECT_FALSE(LockedAgainstWriters(path));
  EXPECT_TRUE(g_settings.recentFiles[0].Get() == path);  // Save As does not touch the recent list
  // Save As onto the document's own name (in other letter case) is a plain save.
  Sci(SCI_SETTEXT, 0, "three");
  g_fileDialogAnswer = temp_.Path(u"OTHER.TXT");
  EXPECT_TRUE(SaveDocumentAs(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(other), "three");
  EXPECT_TRUE(LockedAgainstWriters(other));
  EXPECT_EQ(FilesIn(temp_.Folder()), (std::vector<std::u16string>{u"one.txt", u"other.txt"}));
}

// While the message of a failing auto-save is open, its modal loop still delivers the timer:
// each tick must not stack another save and another box.
int g_boxesOpen = 0, g_mostBoxesOpen = 0;
int TickWhileShown(HWND owner, int kind, const std::u16string& title, const std::u16string& text) {
  ++g_boxesOpen;
  g_mostBoxesOpen = std::max(g_mostBoxesOpen, g_boxesOpen);
  for (int i = 0; i < 3; ++i) SendMessageW(g_shell.mainWindow, WM_TIMER, AUTOSAVE_TIMER_ID, 0);
  int answer = RecordMessageForTests(owner, kind, title, text);
  --g_boxesOpen;
  return answer;
}

TEST_F(SafeSave, AFailingAutoSaveShowsOneBoxAtATime) {
  std::u16string path = temp_.Write(u"auto.txt", "v1");
  OpenWithText(path, "v2");
  g_documentHooks.writeFile = WriteUntilFull;
  g_room = 0;
  g_boxesOpen = g_mostBoxesOpen = 0;
  g_uiHooks.messageBox = TickWhileShown;
  SendMessageW(g_shell.mainWindow, WM_TIMER, AUTOSAVE_TIMER_ID, 0);
  SendMessageW(g_shell.mainWindow, WM_TIMER, AUTOSAVE_TIMER_ID, 0);  // the next interval asks again
  g_uiHooks.messageBox = RecordMessageForTests;
  DiskAsUsual();
  EXPECT_EQ(g_mostBoxesOpen, 1);
  EXPECT_EQ(g_shownMessages.size(), 2u);
  EXPECT_EQ(ReadBytes(path), "v1");
  EXPECT_TRUE(g_doc.modified);
}

TEST_F(SafeSave, NewRecomputesTheLineNumberMargin) {
  const int fresh = g_shell.marginWidth;
  std::string lines;
  for (int i = 0; i < 12000; ++i) lines += "line\n";
  std::u16string path = temp_.Write(u"long.txt", lines);
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, path));
  ASSERT_GT(g_shell.marginWidth, fresh);
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_NEW, 0);
  EXPECT_EQ(g_shell.marginWidth, fresh);
}

// Stored values out of range, from a damaged or hand-edited file.
TEST_F(SafeSave, AStoredTransparencyAboveTheLimitGivesAnOpaqueWindow) {
  ApplyTransparency(g_shell.mainWindow, 20);
  ASSERT_TRUE(GetWindowLongPtrW(g_shell.mainWindow, GWL_EXSTYLE) & WS_EX_LAYERED);
  ApplyTransparency(g_shell.mainWindow, 100);
  EXPECT_FALSE(GetWindowLongPtrW(g_shell.mainWindow, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(SafeSave, AHugeAutoSaveIntervalStillArmsTheTimer) {
  const int32_t stored = g_settings.autoSaveMinutes;
  g_settings.autoSaveMinutes = 100000;  // 6e9 ms would wrap around a 32-bit period
  ArmAutoSave(g_shell.mainWindow);
  EXPECT_TRUE(KillTimer(g_shell.mainWindow, AUTOSAVE_TIMER_ID));
  g_settings.autoSaveMinutes = stored;
}

TEST_F(SafeSave, TheStoredPlacementComesBackUnmoved) {
  AppSettings saved = g_settings;
  g_settings.windowX = 37;
  g_settings.windowY = 52;
  g_settings.windowWidth = 700;
  g_settings.windowHeight = 520;
  RestoreStoredPlacement(g_shell.mainWindow);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  ASSERT_TRUE(GetWindowPlacement(g_shell.mainWindow, &wp));
  EXPECT_EQ(wp.rcNormalPosition.left, 37);
  EXPECT_EQ(wp.rcNormalPosition.top, 52);
  EXPECT_EQ(wp.rcNormalPosition.right, 737);
  EXPECT_EQ(wp.rcNormalPosition.bottom, 572);
  g_settings = saved;
}

// After a theme change the dialog class must never erase with a brush that was deleted.
TEST_F(SafeSave, TheDialogClassBrushStaysValidAcrossThemeChanges) {
  const uint32_t theme = g_live.themeId;
  for (uint32_t next : {4u, 1u, 0u}) {
    HWND dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 100, 100, g_shell.mainWindow, nullptr,
                                  g_shell.instance, nullptr);
    ASSERT_NE(dialog, nullptr);
    ThemeDialog(dialog);
    DestroyWindow(dialog);
    ApplyTheme(next);
    // Another window's colours ask the cache for the new colour first.
    HWND other =
        CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, g_shell.instance, nullptr);
    INT_PTR result = 0;
    HDC dc = GetDC(other);
    HandleDialogColours(other, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), 0, &result);
    ReleaseDC(other, dc);
    auto brush = reinterpret_cast<HGDIOBJ>(GetClassLongPtrW(other, GCLP_HBRBACKGROUND));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << next;
    DestroyWindow(other);
  }
  ApplyTheme(theme);
}

// A main window whose creation fails writes no settings and posts no quit (that would end
// the fatal message at once). Wine does not send WM_DESTROY on this path, so the two
// handlers are driven directly on a stand-in window.
TEST(MainWindowCreation, AFailureLeavesTheSettingsFileAndPostsNoQuit) {
  ClearMessages();
  g_doc.path = u"C:\\some\\file.txt";  // would become lastFile if the settings were stored
  ASSERT_TRUE(SaveSettings(g_settings));
  const std::string before = ReadBytes(GetConfigFilePath());
  ASSERT_FALSE(before.empty());

  g_appHooks.editorClassName = L"NoSuchEditorClass";
  HWND window = CreateWindowExW(0, L"NorvoMainWindow", L"", WS_OVERLAPPEDWINDOW, 0, 0, 700, 500, nullptr, nullptr,
                                g_shell.instance, nullptr);
  EXPECT_EQ(window, nullptr);
  HWND standIn =
      CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, g_shell.instance, nullptr);
  CREATESTRUCTW create{};
  EXPECT_EQ(MainWndProc(standIn, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)), -1);
  MainWndProc(standIn, WM_DESTROY, 0, 0);
  g_appHooks.editorClassName = L"Scintilla";
  DestroyWindow(standIn);

  EXPECT_EQ(ReadBytes(GetConfigFilePath()), before);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  ASSERT_FALSE(g_shownMessages.empty());
  EXPECT_EQ(g_shownMessages.back().title, u"Norvo \u2014 Fatal Error");
  EXPECT_EQ(g_shell.mainWindow, nullptr);
  g_doc.path.clear();
}

// The viewer shows a file and never changes it.
class Viewer : public testing::Test {
 protected:
  void SetUp() override {
    ClearMessages();
    g_documentHooks.fileDialog = [](bool) { return g_fileDialogAnswer; };
    g_shell.viewerMode = true;
    g_doc = DocumentState{};
    window_ = CreateWindowExW(0, L"NorvoMainWindow", L"Norvo - Viewer", WS_OVERLAPPEDWINDOW, 0, 0, 660, 820, nullptr,
                              nullptr, g_shell.instance, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    PumpPending();
    g_doc = DocumentState{};
    g_shell.viewerMode = false;
    g_documentHooks.fileDialog = nullptr;
  }
  void Command(int id) {
    SendMessageW(window_, WM_COMMAND, static_cast<WPARAM>(id), 0);
    PumpPending();
  }
  HWND window_ = nullptr;
  TempDir temp_;
};

TEST_F(Viewer, IgnoresEveryCommandThatWouldWrite) {
  const std::string utf16(
      "\xFF\xFE"
      "v\0i\0e\0w\0",
      10);
  std::u16string path = temp_.Write(u"viewed.txt", utf16);
  FILETIME written = WriteTime(path);
  auto* posted = new wchar_t[path.size() + 1];
  std::copy(W(path), W(path) + path.size() + 1, posted);
  SendMessageW(window_, WMU_LOAD_FILE, 0, reinterpret_cast<LPARAM>(posted));
  ASSERT_EQ(GetDocumentText(), "view");
  EXPECT_TRUE(g_doc.readOnly);
  // Opened for reading only: another reader still gets in, a writer does not.
  EXPECT_FALSE(ReadBytes(path).empty());
  EXPECT_TRUE(LockedAgainstWriters(path));

  g_doc.modified = true;  // as if something had changed it
  g_fileDialogAnswer = temp_.Path(u"copy.txt");
  Command(CMD_SAVE);
  Command(CMD_SAVE_AS);
  SendMessageW(window_, WM_TIMER, AUTOSAVE_TIMER_ID, 0);
  EXPECT_FALSE(SaveDocument(window_));
  Command(CMD_NEW);
  EXPECT_EQ(GetDocumentText(), "view");  // still the viewed text, not a writable empty document
  EXPECT_EQ(g_doc.path, path);
  EXPECT_EQ(Sci(SCI_GETREADONLY), 1);
  EXPECT_EQ(ReadBytes(path), utf16);
  FILETIME after = WriteTime(path);
  EXPECT_EQ(CompareFileTime(&written, &after), 0);
  EXPECT_EQ(ReadBytes(g_fileDialogAnswer), "");
  EXPECT_EQ(GetFileAttributesW(W(g_fileDialogAnswer)), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(g_shownMessages.empty());
}

TEST_F(Viewer, OpenShowsTheFileReadOnlyUnderTheViewerTitle) {
  std::u16string path = temp_.Write(u"other.txt", "other text");
  g_fileDialogAnswer = path;  // the answer of the Open dialog
  Command(CMD_OPEN);
  EXPECT_EQ(GetDocumentText(), "other text");
  EXPECT_EQ(Sci(SCI_GETREADONLY), 1);
  EXPECT_TRUE(g_doc.readOnly);
  wchar_t title[128] = {};
  GetWindowTextW(window_, title, 128);
  EXPECT_STREQ(title, L"Norvo Viewer - other.txt");
  EXPECT_TRUE(g_shownMessages.empty());
  EXPECT_EQ(ReadBytes(path), "other text");
}

}  // namespace
