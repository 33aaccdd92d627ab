// FileLoad into the real edit control: encodings, line ends, the lock, and failures.
#include <Scintilla.h>

#include "app/mainwindow_win.h"
#include "app/shell_logic.h"
#include "common/utf.h"
#include "document/document_hooks_win.h"
#include "document/document_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"

#include <cstring>
#include <winioctl.h>
#include "harness.h"

namespace {

struct LoadCase {
  const char* name;
  std::string bytes;
  std::string text;  // what the editor holds afterwards
  TextEncoding encoding;
  int eolMode;  // -1: the fresh document's default (CRLF)
};

std::string Bytes(const char* s, size_t n) { return std::string(s, n); }

class FileLoadCases : public MainWindowTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(FileLoadCases, TextEncodingAndLineEnds) {
  const LoadCase& c = GetParam();
  // A previous document with other line ends, so that "unchanged" is visible.
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"before.txt", "x\ny\n")));
  ASSERT_EQ(Sci(SCI_GETEOLMODE), SC_EOL_LF);

  std::u16string path = temp_.Write(u"case.txt", c.bytes);
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, path)) << c.name;
  EXPECT_TRUE(g_shownMessages.empty());
  EXPECT_EQ(EditorText(), c.text) << c.name;
  EXPECT_EQ(g_doc.encoding, c.encoding) << c.name;
  EXPECT_EQ(Sci(SCI_GETEOLMODE), c.eolMode < 0 ? SC_EOL_CRLF : c.eolMode) << c.name;
  EXPECT_EQ(Sci(SCI_CANUNDO), 0) << c.name;
  EXPECT_EQ(Sci(SCI_GETCURRENTPOS), 0) << c.name;
  EXPECT_TRUE(static_cast<bool>(g_doc.fileHandle));
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileLoadCases,
    testing::Values(
        LoadCase{"empty", "", "", TextEncoding::Utf8, -1},
        LoadCase{"utf8 lf", "one\ntwo\n", "one\ntwo\n", TextEncoding::Utf8, SC_EOL_LF},
        LoadCase{"utf8 bom crlf", "\xEF\xBB\xBFh\xC3\xA9llo\r\nx", "h\xC3\xA9llo\r\nx", TextEncoding::Utf8Bom,
                 SC_EOL_CRLF},
        LoadCase{"cr only", "a\rb\r", "a\rb\r", TextEncoding::Utf8, SC_EOL_CR},
        LoadCase{"invalid utf8 kept", "a\xFF\xFE" "b", "a\xFF\xFE" "b", TextEncoding::Utf8, -1},
        LoadCase{"utf16 le", Bytes("\xFF\xFEh\0\xE9\0\n\0", 8), "h\xC3\xA9\n", TextEncoding::Utf16Le, SC_EOL_LF},
        LoadCase{"utf16 be surrogate pair", Bytes("\xFE\xFF\xD8\x3D\xDE\x00\0\r", 8), "\xF0\x9F\x98\x80\r",
                 TextEncoding::Utf16Be, SC_EOL_CR},
        LoadCase{"two zero bytes are text", Bytes("a\0b\0c\r\n", 7), Bytes("a\0b\0c\r\n", 7), TextEncoding::Utf8,
                 SC_EOL_CRLF}),
    [](const testing::TestParamInfo<LoadCase>& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

using FileLoadTest = MainWindowTest;

TEST_F(FileLoadTest, ThreeZeroBytesAreRefusedAsBinary) {
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"keep.txt", "previous text")));
  ClearMessages();
  EXPECT_FALSE(FileLoad(g_shell.mainWindow, temp_.Write(u"bin.dat", Bytes("MZ\0\0\0\x90", 6))));
  EXPECT_TRUE(OneMessage(u"Norvo \u2014 Cannot Open",
                         u"This file appears to be a binary file and cannot be opened as text."));
  EXPECT_EQ(EditorText(), "previous text");
  EXPECT_FALSE(static_cast<bool>(g_doc.fileHandle));
}

TEST_F(FileLoadTest, TabsAndIndentationAreReappliedToEveryFreshDocument) {
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"tabs.txt", "\tx\n")));
  EXPECT_EQ(Sci(SCI_GETTABWIDTH), 4);
  EXPECT_EQ(Sci(SCI_GETINDENT), 4);
  EXPECT_EQ(Sci(SCI_GETUSETABS), 0);
  EXPECT_EQ(Sci(SCI_GETCODEPAGE), SC_CP_UTF8);
  EXPECT_EQ(Sci(SCI_GETCOLUMN, 1), 4);  // the caret after the tab is in column 5
  Sci(SCI_SETREADONLY, 0);
  Sci(SCI_GOTOPOS, 3);
  Sci(SCI_TAB);
  EXPECT_EQ(EditorText(), "\tx\n    ");  // Tab indents with four spaces
}

TEST_F(FileLoadTest, TheOpenFileIsLockedAgainstWritersOnly) {
  std::u16string path = temp_.Write(u"locked.txt", "data");
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, path));
  HANDLE writer = CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  HANDLE reader = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  EXPECT_FALSE(DeleteFileW(W(path)));
}

TEST_F(FileLoadTest, AFileOpenForWritingElsewhereIsASharingViolation) {
  std::u16string path = temp_.Write(u"busy.txt", "data");
  HANDLE other = CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FileLoad(g_shell.mainWindow, path));
  CloseHandle(other);
  EXPECT_TRUE(OneMessage(u"Norvo - Error", u"File is already open by another program.\nPlease close it first."));
}

HANDLE WINAPI DenyEverything(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  SetLastError(ERROR_ACCESS_DENIED);
  return INVALID_HANDLE_VALUE;
}

struct OpenSeam {
  explicit OpenSeam(decltype(g_documentHooks.openForLoad) open) { g_documentHooks.openForLoad = open; }
  ~OpenSeam() { g_documentHooks.openForLoad = CreateFileW; }
};

TEST_F(FileLoadTest, WriteAccessDeniedIsRetriedReadOnly) {
  std::u16string path = temp_.Write(u"readonly.txt", "cannot write me");
  {
    OpenSeam seam(DenyWriting);
    ASSERT_TRUE(FileLoad(g_shell.mainWindow, path));
  }
  EXPECT_EQ(EditorText(), "cannot write me");
  EXPECT_TRUE(g_shownMessages.empty());
  ASSERT_TRUE(static_cast<bool>(g_doc.fileHandle));
  DWORD done = 0;
  EXPECT_FALSE(WriteFile(g_doc.fileHandle.get(), "x", 1, &done, nullptr));  // the held handle only reads
  // It shares writing, so it does not lock others out.
  HANDLE writer = CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(FileLoadTest, AccessDeniedEvenForReadingIsReported) {
  std::u16string path = temp_.Write(u"secret.txt", "x");
  OpenSeam seam(DenyEverything);
  EXPECT_FALSE(FileLoad(g_shell.mainWindow, path));
  EXPECT_TRUE(OneMessage(u"Norvo - Error",
                         u"Access denied (error 5).\n\nThe file may be read-only, protected by the system,\nor your "
                         u"account lacks permission to open it."));
}

TEST_F(FileLoadTest, ReadOnlyAttributeStillLoads) {
  std::u16string path = temp_.Write(u"attr.txt", "read-only attribute");
  ASSERT_TRUE(SetFileAttributesW(W(path), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, path));
  EXPECT_EQ(EditorText(), "read-only attribute");
  EXPECT_TRUE(static_cast<bool>(g_doc.fileHandle));
}

TEST_F(FileLoadTest, AFailedLoadKeepsThePreviousTextButReleasesItsLock) {
  std::u16string first = temp_.Write(u"first.txt", "first document");
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, first));
  std::u16string missing = temp_.Path(u"does-not-exist.txt");
  EXPECT_FALSE(FileLoad(g_shell.mainWindow, missing));
  EXPECT_TRUE(OneMessage(u"Norvo - Error", u"File not found (error 2).\n\n" + missing));
  EXPECT_EQ(EditorText(), "first document");
  EXPECT_FALSE(static_cast<bool>(g_doc.fileHandle));
  HANDLE writer = CreateFileW(W(first), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(FileLoadTest, MissingFolderIsPathNotFound) {
  std::u16string path = temp_.Path(u"no-such-folder\\x.txt");
  EXPECT_FALSE(FileLoad(g_shell.mainWindow, path));
  EXPECT_TRUE(OneMessage(u"Norvo - Error", u"File not found (error 3).\n\n" + path));
}

TEST_F(FileLoadTest, OpeningAFolderIsAnOtherError) {
  std::u16string path = temp_.Path(u"");
  path.pop_back();  // the folder itself
  EXPECT_FALSE(FileLoad(g_shell.mainWindow, path));
  ASSERT_EQ(g_shownMessages.size(), 1u);
  // A folder cannot be opened as a file: access denied on Windows.
  EXPECT_TRUE(g_shownMessages[0].title == u"Norvo - Error" || g_shownMessages[0].title == u"Norvo \u2014 Error");
}

TEST_F(FileLoadTest, ViewerModeMakesTheLoadedTextReadOnly) {
  g_shell.viewerMode = true;
  bool loaded = FileLoad(g_shell.mainWindow, temp_.Write(u"view.txt", "read me"));
  g_shell.viewerMode = false;
  ASSERT_TRUE(loaded);
  EXPECT_EQ(Sci(SCI_GETREADONLY), 1);
  Sci(SCI_REPLACESEL, 0, "typed");
  EXPECT_EQ(EditorText(), "read me");
}

}  // namespace

namespace {
constexpr size_t kPiece = 4u << 20;  // the loader's read piece

TEST_F(FileLoadTest, Utf8FileOfSeveralPiecesWithCrLfAcrossABoundary) {
  std::string text(2 * kPiece + 12345, 'a');
  for (size_t i = 100; i < text.size(); i += 997) text[i] = '\n';
  text[kPiece - 1] = '\r';
  text[kPiece] = '\n';
  text[kPiece + 5] = '\0';
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"big.txt", text)));
  EXPECT_TRUE(EditorText() == text);  // compared whole, not printed
  EXPECT_EQ(Sci(SCI_GETEOLMODE), SC_EOL_CRLF);
  EXPECT_EQ(Sci(SCI_GETLENGTH), static_cast<sptr_t>(text.size()));
}

TEST_F(FileLoadTest, Utf16FileOfSeveralPiecesWithASurrogatePairAcrossABoundary) {
  // BOM (2 bytes) + units: the pair's high half ends the first piece, its low half starts the next.
  std::u16string units((kPiece + 4000) / 2, u'b');
  size_t highAt = (kPiece - 2 - 2) / 2;  // its two bytes end exactly at the piece boundary
  units[highAt] = static_cast<char16_t>(0xD83D);
  units[highAt + 1] = static_cast<char16_t>(0xDE00);
  units[10] = u'\n';
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(units.data()), units.size() * 2);
  bytes.push_back('\x41');  // an odd last byte is dropped
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"big16.txt", bytes)));
  EXPECT_TRUE(EditorText() == Utf16ToUtf8(units));
  EXPECT_EQ(g_doc.encoding, TextEncoding::Utf16Le);
  EXPECT_EQ(Sci(SCI_GETEOLMODE), SC_EOL_LF);
}
}  // namespace

namespace {
int g_readsBeforeFailure = 0;
BOOL WINAPI FailingRead(HANDLE file, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED overlapped) {
  if (g_readsBeforeFailure-- <= 0) {
    SetLastError(ERROR_IO_DEVICE);
    return FALSE;
  }
  return ReadFile(file, buffer, count, done, overlapped);
}

TEST_F(FileLoadTest, AReadFailingPartWayPutsThePreviousDocumentBack) {
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"kept.txt", "the previous document")));
  Sci(SCI_GOTOPOS, 4);
  Sci(SCI_SETREADONLY, 1);  // as a viewer's document is
  std::u16string big = temp_.Write(u"big.txt", std::string(3 * kPiece, 'z'));
  g_readsBeforeFailure = 1;  // the first piece reads, the second fails
  g_documentHooks.readFile = FailingRead;
  bool loaded = FileLoad(g_shell.mainWindow, big);
  g_documentHooks.readFile = ReadFile;
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(OneMessage(u"Norvo \u2014 Error", u"Cannot read file."));
  EXPECT_EQ(EditorText(), "the previous document");
  EXPECT_EQ(Sci(SCI_GETCURRENTPOS), 4);  // the caret stays where it was
  EXPECT_EQ(Sci(SCI_GETREADONLY), 1);
  EXPECT_EQ(Sci(SCI_GETMODEVENTMASK), SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT);
  EXPECT_FALSE(static_cast<bool>(g_doc.fileHandle));
  // The editor still works normally afterwards.
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"after.txt", "after")));
  EXPECT_EQ(EditorText(), "after");
}

TEST_F(FileLoadTest, FilesOf4GiBAndMoreAreRefused) {
  // A sparse file: 4 GiB of nothing, made without writing it.
  std::u16string path = temp_.Path(u"huge.txt");
  HANDLE f = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD ignored = 0;
  DeviceIoControl(f, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = 0x100000000LL;
  ASSERT_TRUE(SetFilePointerEx(f, end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(f));
  CloseHandle(f);
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"small.txt", "small")));
  EXPECT_FALSE(FileLoad(g_shell.mainWindow, path));
  EXPECT_TRUE(OneMessage(u"Norvo \u2014 Error", u"Cannot get file size."));
  EXPECT_EQ(EditorText(), "small");
  DeleteFileW(W(path));
}

using SettingsFile = MainWindowTest;

TEST_F(SettingsFile, SaveReplacesTheFileWholeAndLeavesNoTemporaryFile) {
  AppSettings s;
  ResetSettings(s);
  s.themeId = 5;
  s.recentFiles[0].Set(u"C:\\\\x.txt");
  ASSERT_TRUE(SaveSettings(s));
  s.themeId = 2;
  ASSERT_TRUE(SaveSettings(s));
  AppSettings loaded;
  ASSERT_TRUE(LoadSettings(loaded));
  EXPECT_EQ(std::memcmp(&loaded, &s, sizeof s), 0);
  std::u16string folder = GetConfigFolder();
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(W(folder + u"\\norvo.cfg.*.tmp"), &fd);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a temporary file was left behind";
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  EXPECT_EQ(ReadBytes(GetConfigFilePath()).size(), kSettingsFileSize);
}

TEST_F(SettingsFile, AFailedSaveLeavesThePreviousFileIntact) {
  AppSettings s;
  ResetSettings(s);
  s.fontSize = 17;
  ASSERT_TRUE(SaveSettings(s));
  std::string before = ReadBytes(GetConfigFilePath());
  // Another program holds the file without sharing deletion: it cannot be replaced.
  HANDLE holder = CreateFileW(W(GetConfigFilePath()), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  s.fontSize = 30;
  EXPECT_FALSE(SaveSettings(s));
  CloseHandle(holder);
  EXPECT_EQ(ReadBytes(GetConfigFilePath()), before);
  AppSettings loaded;
  ASSERT_TRUE(LoadSettings(loaded));
  EXPECT_EQ(static_cast<int>(loaded.fontSize), 17);
}
}  // namespace
