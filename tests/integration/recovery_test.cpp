// Recovery copies with the real window and control: the copy that follows typing, and the
// clean ends that remove it (a save, Don't Save, New), and the ones that must not (a cancelled
// Open). The viewer keeps none.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include <string>
#include <vector>

#include "app/mainwindow_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/document_hooks_win.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "document/recovery_format.h"
#include "document/recovery_win.h"
#include "harness.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"

namespace {

void Type(const std::string& text) {
  Sci(SCI_DOCUMENTEND);
  Sci(SCI_REPLACESEL, 0, text.c_str());
  PumpPending();
}

class RecoveryCopies : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // The window's copies go to the test's own folder.
    EndRecovery();
    g_documentHooks.recoveryFolder = temp_.Folder();
    StartRecovery(g_shell.mainWindow);
  }
  std::u16string CopyPath() const { return temp_.Path(RecoveryCopyName(RecoveryInstanceId())); }
  // Waits for the copy to hold exactly `text`; fills `meta`.
  bool WaitForCopy(const std::string& text, RecoveryMeta* meta = nullptr, DWORD timeoutMs = 10000) {
    return PumpUntil(
        [&] {
          const std::string bytes = ReadBytes(CopyPath());
          RecoveryMeta m;
          std::string_view held;
          if (ReadRecoveryFile(bytes, &m, &held) != RecoveryRead::Ok || held != text) return false;
          if (meta) *meta = m;
          return true;
        },
        timeoutMs);
  }
  bool WaitForNoCopy() {
    return PumpUntil([&] { return !Exists(CopyPath()); });
  }
};

TEST_F(RecoveryCopies, FollowTypingWithThePathEncodingAndLineEndsAndGoWithTheSave) {
  std::u16string path = temp_.Write(u"wide.txt", std::string("\xFF\xFE" "a\0\n\0", 6));
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, path));
  Type("typed");
  RecoveryMeta meta;
  ASSERT_TRUE(WaitForCopy("a\ntyped", &meta));
  EXPECT_EQ(meta.path, path);
  EXPECT_EQ(meta.encoding, static_cast<int32_t>(TextEncoding::Utf16Le));
  EXPECT_EQ(meta.eolMode, SC_EOL_LF);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(W(path), GetFileExInfoStandard, &data));
  EXPECT_EQ(meta.fileWritten, (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime);
  // A later change makes a later copy.
  Type(" more");
  ASSERT_TRUE(WaitForCopy("a\ntyped more"));
  ASSERT_TRUE(SaveDocument(g_shell.mainWindow));
  EXPECT_TRUE(WaitForNoCopy());
}

TEST_F(RecoveryCopies, GoWithDontSaveAtNewButStayWhenOpenIsCancelled) {
  Type("first");
  ASSERT_TRUE(WaitForCopy("first"));
  // Open: "Don't Save", then the dialog is cancelled: the text is still unsaved and kept.
  g_nextMessageAnswer = ResultNo;
  g_fileDialogAnswer.clear();
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_OPEN, 0);
  WaitForRecoveryWriter();
  EXPECT_TRUE(g_doc.modified);
  EXPECT_TRUE(Exists(CopyPath()));
  // New after "Don't Save" lets the text go, and its copy.
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_NEW, 0);
  EXPECT_FALSE(g_doc.modified);
  EXPECT_TRUE(WaitForNoCopy());
}

TEST_F(RecoveryCopies, ACopyUnderWayWhenTheDocumentIsSavedNeverComesBack) {
  // A large text, so that the copy is still being written when the save comes.
  std::string text;
  for (int i = 0; i < 400'000; ++i) text += "a line of the large text, long enough to take a while to copy\r\n";
  ASSERT_TRUE(SetDocumentText(text));
  g_doc.modified = true;
  NoteDocumentChange();
  std::u16string path = temp_.Path(u"big.txt");
  g_fileDialogAnswer = path;
  // Wait for the writer's temporary file, then save at once.
  PumpUntil([&] {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(W(temp_.Path(u"~norvo*.tmp")), &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
  }, 10000);
  ASSERT_TRUE(SaveDocument(g_shell.mainWindow));
  WaitForRecoveryWriter();
  EXPECT_FALSE(Exists(CopyPath()));
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(W(temp_.Path(u"~norvo*.tmp")), &fd);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE);  // nor a half-written one
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

// Windows ending the session ends the process without a close: the text typed since the last
// copy is in the copy before the message returns.
TEST_F(RecoveryCopies, TheEndOfTheSessionWritesTheLatestTextAtOnce) {
  Type("typed just before the restart");
  SendMessageW(g_shell.mainWindow, WM_ENDSESSION, TRUE, 0);
  const std::string bytes = ReadBytes(CopyPath());
  RecoveryMeta meta;
  std::string_view held;
  ASSERT_EQ(ReadRecoveryFile(bytes, &meta, &held), RecoveryRead::Ok);
  EXPECT_EQ(held, "typed just before the restart");
  EXPECT_TRUE(meta.path.empty());
}

TEST_F(RecoveryCopies, TheViewerKeepsNone) {
  SendMessageW(g_shell.mainWindow, WM_CLOSE, 0, 0);
  PumpPending();
  g_shell.viewerMode = true;
  HWND viewer = CreateWindowExW(0, L"NorvoMainWindow", L"Norvo - Viewer", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                nullptr, nullptr, g_shell.instance, nullptr);
  ASSERT_NE(viewer, nullptr);
  // No timer of recovery copies runs, and a tick does nothing.
  EXPECT_FALSE(KillTimer(viewer, RECOVERY_TIMER_ID));
  Sci(SCI_SETREADONLY, 0);
  ASSERT_TRUE(SetDocumentText(std::string("viewed")));
  g_doc.modified = true;
  NoteDocumentChange();
  for (int i = 0; i < 3; ++i) OnRecoveryTick(viewer);
  EndRecovery();
  g_doc.modified = false;
  DestroyWindow(viewer);
  g_shell.viewerMode = false;
  PumpPending();
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(W(temp_.Path(u"*.nrc")), &fd);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

}  // namespace
