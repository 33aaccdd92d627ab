// The editing shell with the real window and control: saving, Save As, New, the prompts,
// the recent list, auto-save, the disk check, drops and the window commands.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>
#include <shlobj.h>

#include "app/mainwindow_win.h"
#include "app/shell_logic.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/autosave_win.h"
#include "document/document_hooks_win.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "document/recent_win.h"
#include "harness.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"

namespace {

void Open(const std::u16string& path) { ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, path)); }
void Type(const char* text) {
  Sci(SCI_DOCUMENTEND);
  Sci(SCI_REPLACESEL, 0, text);
  PumpPending();
}
void Command(int id) {
  SendMessageW(g_shell.mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0);
  PumpPending();
}
class Shell : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    WriteRecentList(g_settings, RecentList{});
  }
};

TEST_F(Shell, SaveKeepsTheUtf8MarkOfAMarkedFile) {
  std::u16string path = temp_.Write(u"bom.txt", "\xEF\xBB\xBF" "abc");
  Open(path);
  Type("d");
  Command(CMD_SAVE);
  EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF" "abcd");
  EXPECT_FALSE(g_doc.modified);
  EXPECT_EQ(MainTitle(), u"Norvo - bom.txt");
}

TEST_F(Shell, SaveWritesPlainUtf8ForEveryOtherEncodingAndKeepsShowingIt) {
  std::u16string path = temp_.Write(u"wide.txt", std::string("\xFF\xFE" "h\0\xE9\0", 6));
  Open(path);
  Type("!");
  ASSERT_TRUE(SaveDocument(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(path), "h\xC3\xA9!");
  EXPECT_EQ(g_doc.encoding, TextEncoding::Utf16Le);  // shown as loaded until the next load
}

TEST_F(Shell, AShorterTextLeavesNoTailAndAnEmptyDocumentGivesNoBytes) {
  std::u16string path = temp_.Write(u"long.txt", "a long original text");
  Open(path);
  Sci(SCI_SETTEXT, 0, "short");
  ASSERT_TRUE(SaveDocument(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(path), "short");
  Sci(SCI_CLEARALL);
  ASSERT_TRUE(SaveDocument(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(path), "");
  EXPECT_TRUE(LockedAgainstWriters(path));  // still held
}

TEST_F(Shell, AnEmptyMarkedDocumentIsJustTheMark) {
  std::u16string path = temp_.Write(u"bomonly.txt", "\xEF\xBB\xBFx");
  Open(path);
  Sci(SCI_CLEARALL);
  ASSERT_TRUE(SaveDocument(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF");
}

TEST_F(Shell, SavingAnUntitledDocumentAsksForAName) {
  Type("new text");
  EXPECT_FALSE(SaveDocument(g_shell.mainWindow));  // the dialog cancelled
  EXPECT_TRUE(g_doc.modified);
  EXPECT_EQ(MainTitle(), u"Norvo - Untitled *");
  g_fileDialogAnswer = temp_.Path(u"named.txt");
  EXPECT_TRUE(SaveDocument(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(g_fileDialogAnswer), "new text");
  EXPECT_EQ(MainTitle(), u"Norvo - named.txt");
}

TEST_F(Shell, AReadOnlyDocumentCannotBeSavedInPlace) {
  std::u16string path = temp_.Write(u"ro.txt", "original");
  g_documentHooks.openForLoad = DenyWriting;
  Open(path);
  g_documentHooks.openForLoad = CreateFileW;
  Type(" changed");
  EXPECT_FALSE(SaveDocument(g_shell.mainWindow));
  EXPECT_TRUE(OneMessage(u"Norvo \u2014 Error", u"Cannot save file."));
  EXPECT_TRUE(g_doc.modified);
  EXPECT_EQ(ReadBytes(path), "original");
  EXPECT_EQ(MainTitle(), u"Norvo - ro.txt *");
  // Save As to a writable place works.
  g_fileDialogAnswer = temp_.Path(u"copy.txt");
  EXPECT_TRUE(SaveDocumentAs(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(g_fileDialogAnswer), "original changed");
}

TEST_F(Shell, NewResetsTitleEncodingLineEndsAndTheLock) {
  std::u16string path = temp_.Write(u"lf.txt", std::string("\xFF\xFE" "a\0\n\0", 6));
  Open(path);
  ASSERT_EQ(Sci(SCI_GETEOLMODE), SC_EOL_LF);
  Command(CMD_NEW);
  EXPECT_TRUE(g_shownMessages.empty());  // unmodified: nothing asked
  EXPECT_EQ(MainTitle(), u"Norvo - Untitled");
  EXPECT_EQ(g_doc.encoding, TextEncoding::Utf8);
  EXPECT_EQ(Sci(SCI_GETEOLMODE), SC_EOL_CRLF);
  EXPECT_EQ(Sci(SCI_GETLENGTH), 0);
  EXPECT_EQ(Sci(SCI_CANUNDO), 0);
  EXPECT_FALSE(LockedAgainstWriters(path));
  EXPECT_EQ(Sci(SCI_GETTABWIDTH), 4);
}

TEST_F(Shell, TheModifiedMarkComesWithTheFirstEditAndGoesWithASave) {
  std::u16string path = temp_.Write(u"mark.txt", "x");
  Open(path);
  EXPECT_EQ(MainTitle(), u"Norvo - mark.txt");
  Type("1");
  EXPECT_EQ(MainTitle(), u"Norvo - mark.txt *");
  Type("2");
  EXPECT_EQ(MainTitle(), u"Norvo - mark.txt *");
  Command(CMD_SAVE);
  EXPECT_EQ(MainTitle(), u"Norvo - mark.txt");
  Command(CMD_UNDO);
  EXPECT_EQ(MainTitle(), u"Norvo - mark.txt *");
}

struct CloseCase {
  int answer;
  bool closes;
  const char* onDisk;
};
class CloseWithChanges : public Shell, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseWithChanges, AnswersOfTheQuestion) {
  std::u16string path = temp_.Write(u"close.txt", "before");
  Open(path);
  Type(" after");
  g_nextMessageAnswer = GetParam().answer;
  SendMessageW(g_shell.mainWindow, WM_CLOSE, 0, 0);
  PumpPending();
  EXPECT_TRUE(OneMessage(u"Norvo", u"Save changes to \"close.txt\"?"));
  EXPECT_EQ(g_shownMessages[0].kind, SaveDontSaveCancel);
  EXPECT_EQ(g_shell.mainWindow == nullptr, GetParam().closes);
  g_doc.fileHandle.reset();
  EXPECT_EQ(ReadBytes(path), GetParam().onDisk);
}
INSTANTIATE_TEST_SUITE_P(Answers, CloseWithChanges,
                         testing::Values(CloseCase{ResultYes, true, "before after"},
                                         CloseCase{ResultNo, true, "before"},
                                         CloseCase{ResultCancel, false, "before"}));

TEST_F(Shell, AFailedSaveWhileClosingKeepsTheWindowOpen) {
  Type("untitled text");
  g_nextMessageAnswer = ResultYes;  // and then the Save As dialog cancelled
  SendMessageW(g_shell.mainWindow, WM_CLOSE, 0, 0);
  PumpPending();
  EXPECT_NE(g_shell.mainWindow, nullptr);
  EXPECT_TRUE(OneMessage(u"Norvo", u"Save changes to \"Untitled\"?"));
}

TEST_F(Shell, OpeningFilesBuildsTheRecentList) {
  std::u16string a = temp_.Write(u"a.txt", "a"), b = temp_.Write(u"b.txt", "b"), c = temp_.Write(u"c.txt", "c");
  for (const auto& p : {a, b, c, a}) Open(p);
  RecentList list = ReadRecentList(g_settings);
  EXPECT_EQ(list[0], a);
  EXPECT_EQ(list[1], c);
  EXPECT_EQ(list[2], b);
  AppSettings stored;
  ASSERT_TRUE(LoadSettings(stored));  // every change is saved at once
  EXPECT_EQ(stored.recentFiles[1].Get(), c);
  Command(CMD_RECENT_OPEN_FIRST + 2);  // b
  EXPECT_EQ(g_doc.path, b);
  EXPECT_EQ(ReadRecentList(g_settings)[0], b);
  Command(CMD_RECENT_REMOVE_FIRST + 0);
  EXPECT_EQ(ReadRecentList(g_settings)[0], a);
}

TEST_F(Shell, AVanishedRecentEntryIsOfferedForRemoval) {
  std::u16string gone = temp_.Path(u"gone.txt");
  AddRecentFile(gone);
  g_nextMessageAnswer = ResultYes;
  Command(CMD_RECENT_OPEN_FIRST);
  EXPECT_TRUE(OneMessage(u"Norvo \u2014 Recent Files", VanishedRecentText(u"gone.txt")));
  EXPECT_TRUE(g_settings.recentFiles[0].Empty());
}

TEST_F(Shell, ClearingTheRecentListAsksFirst) {
  AddRecentFile(u"C:\\x.txt");
  g_nextMessageAnswer = ResultNo;
  Command(CMD_RECENT_CLEAR);
  EXPECT_FALSE(g_settings.recentFiles[0].Empty());
  g_nextMessageAnswer = ResultYes;
  Command(CMD_RECENT_CLEAR);
  EXPECT_TRUE(g_settings.recentFiles[0].Empty());
  EXPECT_EQ(g_shownMessages.back().text, u"Clear the entire Recent Files list?");
}

TEST_F(Shell, ActivationNoticesADeletedFile) {
  std::u16string path = temp_.Write(u"vanish.txt", "keep me");
  Open(path);
  g_doc.fileHandle.reset();  // the lock is what normally prevents this
  ASSERT_TRUE(DeleteFileW(W(path)));
  g_nextMessageAnswer = ResultNo;
  SendMessageW(g_shell.mainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
  ASSERT_TRUE(PumpUntil([] { return !g_shownMessages.empty(); }));
  EXPECT_TRUE(OneMessage(u"Norvo \u2014 File Changed", FileChangedText(u"vanish.txt", FileOnDisk::Moved)));
  EXPECT_EQ(MainTitle(), u"Norvo - Untitled");
  EXPECT_EQ(GetDocumentText(), "keep me");
}

TEST_F(Shell, ActivationSaveWritesTheFileBack) {
  std::u16string path = temp_.Write(u"restore.txt", "restore me");
  Open(path);
  g_doc.fileHandle.reset();
  ASSERT_TRUE(DeleteFileW(W(path)));
  g_nextMessageAnswer = ResultYes;
  SendMessageW(g_shell.mainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
  ASSERT_TRUE(PumpUntil([] { return !g_shownMessages.empty(); }));
  EXPECT_EQ(ReadBytes(path), "restore me");
  // Activation by one of the program's own windows does not ask again.
  ClearMessages();
  SendMessageW(g_shell.mainWindow, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(g_shell.editor));
  PumpPending();
  EXPECT_TRUE(g_shownMessages.empty());
}

TEST_F(Shell, UnmodifiedDeletedFileAsksToRestoreOnClose) {
  std::u16string path = temp_.Write(u"deleted.txt", "content");
  Open(path);
  g_doc.fileHandle.reset();
  ASSERT_TRUE(DeleteFileW(W(path)));
  g_nextMessageAnswer = ResultYes;
  SendMessageW(g_shell.mainWindow, WM_CLOSE, 0, 0);
  PumpPending();
  ASSERT_FALSE(g_shownMessages.empty());
  EXPECT_EQ(g_shownMessages[0].text, SavePromptText(u"deleted.txt", FileOnDisk::Moved, false));
  EXPECT_EQ(ReadBytes(path), "content");
}

TEST_F(Shell, AutoSaveTicksSaveOnlyModifiedNamedDocuments) {
  std::u16string path = temp_.Write(u"auto.txt", "v1");
  Open(path);
  SendMessageW(g_shell.mainWindow, WM_TIMER, AUTOSAVE_TIMER_ID, 0);
  EXPECT_EQ(ReadBytes(path), "v1");
  Type("+");
  SendMessageW(g_shell.mainWindow, WM_TIMER, AUTOSAVE_TIMER_ID, 0);
  EXPECT_EQ(ReadBytes(path), "v1+");
  EXPECT_FALSE(g_doc.modified);
  Command(CMD_NEW);
  Type("untitled");
  SendMessageW(g_shell.mainWindow, WM_TIMER, AUTOSAVE_TIMER_ID, 0);
  EXPECT_TRUE(g_shownMessages.empty());  // no Save As dialog, no question
  EXPECT_TRUE(g_doc.modified);
}

TEST(AutoSaveArming, AStoredIntervalIsArmedAtCreation) {
  g_settings.autoSaveMinutes = 5;
  HWND window = CreateWindowExW(0, L"NorvoMainWindow", L"", WS_OVERLAPPEDWINDOW, 0, 0, 700, 500, nullptr, nullptr,
                                g_shell.instance, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(KillTimer(window, AUTOSAVE_TIMER_ID));  // it existed
  g_settings.autoSaveMinutes = 0;
  ArmAutoSave(window);
  EXPECT_FALSE(KillTimer(window, AUTOSAVE_TIMER_ID));
  DestroyWindow(window);
  PumpPending();
}

TEST_F(Shell, OnlyTheFirstDroppedFileOpens) {
  std::u16string files[3] = {temp_.Write(u"d1.txt", "one"), temp_.Write(u"d2.txt", "two"),
                             temp_.Write(u"d3.txt", "three")};
  std::u16string list;
  for (const auto& f : files) list += f + u'\0';
  list += u'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * 2);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<char16_t*>(drop + 1));
  GlobalUnlock(memory);
  SendMessageW(g_shell.mainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(g_doc.path, files[0]);
  EXPECT_EQ(GetDocumentText(), "one");
  EXPECT_EQ(ReadRecentList(g_settings)[0], files[0]);
}

TEST_F(Shell, WindowCommands) {
  Command(CMD_TOGGLE_WORD_WRAP);
  EXPECT_EQ(Sci(SCI_GETWRAPMODE), SC_WRAP_NONE);
  EXPECT_EQ(Sci(SCI_GETHSCROLLBAR), 1);
  Command(CMD_TOGGLE_WORD_WRAP);
  EXPECT_EQ(Sci(SCI_GETWRAPMODE), SC_WRAP_WORD);

  Command(CMD_TRANSPARENCY_FIRST + 2);  // 20 %
  EXPECT_TRUE(GetWindowLongPtrW(g_shell.mainWindow, GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  GetLayeredWindowAttributes(g_shell.mainWindow, nullptr, &alpha, nullptr);
  EXPECT_EQ(alpha, TransparencyAlpha(20));
  EXPECT_EQ(static_cast<int>(g_settings.transparency), 20);
  Command(CMD_TRANSPARENCY_FIRST);
  EXPECT_FALSE(GetWindowLongPtrW(g_shell.mainWindow, GWL_EXSTYLE) & WS_EX_LAYERED);

  Command(CMD_THEME_FIRST + 4);
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, 0), static_cast<sptr_t>(kThemePalettes[4].editorBack));
  AppSettings stored;
  ASSERT_TRUE(LoadSettings(stored));
  EXPECT_EQ(stored.themeId, 4u);
  Command(CMD_THEME_FIRST);
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, 0), static_cast<sptr_t>(kThemePalettes[0].editorBack));
}

// A modeless dialog with an edit field, as Find and Regex Search have.
TEST_F(Shell, EditingKeysInADialogEditFieldStayInTheField) {
  HWND dialog = CreateWindowExW(0, L"#32770", L"Find", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, g_shell.mainWindow,
                                nullptr, g_shell.instance, nullptr);
  HWND field = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 5, 5, 200, 20, dialog, nullptr,
                               g_shell.instance, nullptr);
  ASSERT_NE(field, nullptr);
  // The clipboard holds text; the document is empty.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 16);
  std::copy_n(L"pasted", 7, static_cast<wchar_t*>(GlobalLock(text)));
  GlobalUnlock(text);
  SetClipboardData(CF_UNICODETEXT, text);
  CloseClipboard();

  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  auto press = [&](HWND target, UINT vk) {
    MSG msg{target, WM_KEYDOWN, vk, 1, GetTickCount(), {}};
    ProcessMessage(msg);
    PumpPending();
  };
  SetFocus(field);
  press(field, 'V');
  wchar_t got[64] = {};
  GetWindowTextW(field, got, 64);
  EXPECT_STREQ(got, L"pasted");
  EXPECT_EQ(Sci(SCI_GETLENGTH), 0);  // not pasted into the document

  SetFocus(g_shell.editor);
  press(g_shell.editor, 'V');
  EXPECT_EQ(GetDocumentText(), "pasted");  // in the editor the accelerator acts

  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  DestroyWindow(dialog);
}

}  // namespace
