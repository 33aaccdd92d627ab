#include "common/win.h"  // before the other system headers

#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "app/mainwindow_win.h"
#include "common/utf.h"
#include "document/document_hooks_win.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "export/export_win.h"
#include "harness.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/ui_hooks_win.h"

std::vector<ShownMessage> g_shownMessages;
int g_nextMessageAnswer = ResultOk;
std::deque<int> g_messageAnswers;
std::u16string g_fileDialogAnswer;

void ClearMessages() {
  g_shownMessages.clear();
  g_nextMessageAnswer = ResultOk;
  g_messageAnswers.clear();
}

int RecordMessageForTests(HWND, int kind, const std::u16string& title, const std::u16string& text) {
  g_shownMessages.push_back({kind, title, text});
  if (!g_messageAnswers.empty()) {
    int answer = g_messageAnswers.front();
    g_messageAnswers.pop_front();
    return answer;
  }
  return g_nextMessageAnswer;
}

testing::AssertionResult OneMessage(const std::u16string& title, const std::u16string& text) {
  if (g_shownMessages.size() != 1) return testing::AssertionFailure() << g_shownMessages.size() << " messages shown";
  const ShownMessage& m = g_shownMessages[0];
  if (m.title != title || m.text != text)
    return testing::AssertionFailure() << "shown: " << Utf16ToUtf8(m.title) << ": " << Utf16ToUtf8(m.text);
  return testing::AssertionSuccess();
}

std::u16string MainTitle() {
  wchar_t buf[512] = {};
  GetWindowTextW(g_shell.mainWindow, buf, 512);
  return U16(buf);
}

bool Exists(const std::u16string& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

bool LockedAgainstWriters(const std::u16string& path) {
  HANDLE h = CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(h);
  return false;
}

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  dir_ = U16(base) + u"norvo_it_" + Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"_" +
         Utf8ToUtf16(std::to_string(++counter));
  CreateDirectoryW(W(dir_), nullptr);
}

TempDir::~TempDir() {
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(W(dir_ + u"\\*"), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::u16string name = U16(fd.cFileName);
      if (name == u"." || name == u"..") continue;
      SetFileAttributesW(W(Path(name)), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(W(Path(name)));
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  RemoveDirectoryW(W(dir_));
}

std::u16string TempDir::Write(const std::u16string& name, const std::string& bytes) const {
  std::u16string path = Path(name);
  EXPECT_TRUE(WriteBytes(path, bytes));
  return path;
}

namespace {
std::u16string OutputsFolder() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::u16string dir = U16(exe);
  return dir.substr(0, dir.rfind(u'\\')) + u"\\outputs";
}
}  // namespace

void KeepForChecks(const std::u16string& name, const std::string& bytes) {
  CreateDirectoryW(W(OutputsFolder()), nullptr);
  EXPECT_TRUE(WriteBytes(OutputsFolder() + u"\\" + name, bytes));
}

void ClearKeptOutputs() {
  std::u16string dir = OutputsFolder();
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(W(dir + u"\\*"), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(W(dir + u"\\" + U16(fd.cFileName)));
  } while (FindNextFileW(find, &fd));
  FindClose(find);
}

HANDLE WINAPI DenyWriting(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                          DWORD flags, HANDLE templateFile) {
  if (access & GENERIC_WRITE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(name, access, share, sa, disposition, flags, templateFile);
}

void MainWindowTest::SetUp() {
  ClearMessages();
  g_documentHooks = DocumentHooks{};
  g_fileDialogAnswer.clear();
  g_documentHooks.fileDialog = [](bool) { return g_fileDialogAnswer; };
  g_doc.path.clear();
  g_doc.modified = false;
  g_doc.encoding = TextEncoding::Utf8;
  g_doc.fileHandle.reset();
  HWND window = CreateWindowExW(WS_EX_ACCEPTFILES, L"NorvoMainWindow", L"Norvo - Viewer", WS_OVERLAPPEDWINDOW, 0, 0,
                                900, 650, nullptr, nullptr, g_shell.instance, nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  PumpPending();
}

void MainWindowTest::TearDown() {
  if (g_shell.mainWindow) {
    g_doc.modified = false;  // nothing to ask about when a test ends
    SendMessageW(g_shell.mainWindow, WM_CLOSE, 0, 0);
  }
  PumpPending();
  g_documentHooks = DocumentHooks{};
  g_doc.fileHandle.reset();
  g_settings.findColorResults = 1;
  g_settings.findWrapAround = 1;
  g_settings.findMatchCase = g_settings.findWholeWord = g_settings.findPreserveCase = g_settings.findInSelection = 0;
}

std::string MainWindowTest::EditorText() { return GetDocumentText(); }

void CancelAtOnce(HWND progress) {
  RECT r = ProgressButtonRect(progress);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(progress, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(progress, WM_LBUTTONUP, 0, at);
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  g_shell.instance = GetModuleHandleW(nullptr);
  g_uiHooks.messageBox = RecordMessageForTests;
  ResetSettings(g_settings);
  g_settings.firstRun = 0;
  CopyLiveFromSettings();
  INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  g_shell.accelerators = LoadAcceleratorsW(g_shell.instance, MAKEINTRESOURCEW(103));
  if (!LoadEditorLibraries() || !RegisterWindowClasses()) {
    fprintf(stderr, "cannot load Scintilla.dll / lexilla.dll beside the test program\n");
    return 1;
  }
  ClearKeptOutputs();
  int result = RUN_ALL_TESTS();
  UnloadEditorLibraries();
  return result;
}
