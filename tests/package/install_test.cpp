// The program as the installer left it, checked from inside the Wine prefix the installer ran
// in (tests/check_installer.py runs this between its steps): the uninstall entry, the
// Start-menu shortcut, and the installed Norvo.exe opening a file given on its command line.
#include "common/win.h"  // before the other system headers

#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/utf.h"
#include "driver.h"
#include "norvo_version.h"

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvo";

std::u16string KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return U16(path);
}

std::u16string InstallFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA) + u"\\Programs\\Norvo"; }

std::u16string RegString(const wchar_t* key, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return {};
  return U16(value);
}

bool Exists(const std::u16string& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

TEST(Installed, FilesAreInThePerUserProgramsFolder) {
  for (const char16_t* name : {u"Norvo.exe", u"Scintilla.dll", u"lexilla.dll", u"README.txt", u"LICENSE",
                               u"THIRD-PARTY-NOTICES.txt", u"Uninstall.exe"})
    EXPECT_TRUE(Exists(InstallFolder() + u"\\" + name)) << Utf16ToUtf8(name);
}

TEST(Installed, UninstallEntryNamesVersionSizePublisherAndUninstaller) {
  EXPECT_EQ(RegString(kUninstallKey, L"DisplayName"), u"Norvo");
  EXPECT_EQ(RegString(kUninstallKey, L"DisplayVersion"), Utf8ToUtf16(NORVO_VERSION));
  EXPECT_FALSE(RegString(kUninstallKey, L"Publisher").empty());
  EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), InstallFolder());
  EXPECT_EQ(RegString(kUninstallKey, L"UninstallString"), u"\"" + InstallFolder() + u"\\Uninstall.exe\"");
  DWORD kilobytes = 0;
  DWORD size = sizeof kilobytes;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kilobytes,
                         &size),
            ERROR_SUCCESS);
  // At least the three binaries, at most a little more than everything installed.
  std::string exe = ReadBytes(InstallFolder() + u"\\Norvo.exe");
  std::string sci = ReadBytes(InstallFolder() + u"\\Scintilla.dll");
  std::string lex = ReadBytes(InstallFolder() + u"\\lexilla.dll");
  size_t binaries = (exe.size() + sci.size() + lex.size()) / 1024;
  EXPECT_GE(kilobytes, binaries);
  EXPECT_LE(kilobytes, binaries + 1024);
}

TEST(Installed, StartMenuShortcutStartsTheInstalledProgram) {
  std::u16string link = KnownFolder(CSIDL_PROGRAMS) + u"\\Norvo.lnk";
  ASSERT_TRUE(Exists(link)) << Utf16ToUtf8(link);
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  IShellLinkW* shell = nullptr;
  ASSERT_TRUE(SUCCEEDED(
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&shell))));
  IPersistFile* file = nullptr;
  wchar_t target[MAX_PATH] = {};
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(W(link), STGM_READ))) shell->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    file->Release();
  }
  shell->Release();
  CoUninitialize();
  EXPECT_EQ(U16(target), InstallFolder() + u"\\Norvo.exe");
}

class InstalledProgram : public ScratchTest {
 protected:
  InstalledProgram() : ScratchTest(u"installed") {}
};

TEST_F(InstalledProgram, OpensTheFileOnItsCommandLine) {
  std::u16string path = File(u"installed.txt", "Opened by the installed program\r\n");
  Program norvo(InstallFolder() + u"\\Norvo.exe", {path});
  ASSERT_TRUE(norvo.started());
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - installed.txt");
  ASSERT_NE(main, nullptr);
  HWND editor = ChildById(main, 1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(EditorText(editor), "Opened by the installed program\r\n");
  CloseAndExpectExitZero(norvo, main);
  // At start it offered itself for opening documents: the keys the uninstaller must take away.
  EXPECT_EQ(RegString(L"Software\\Classes\\Norvo.Document\\shell\\open\\command", nullptr),
            u"\"" + InstallFolder() + u"\\Norvo.exe\" \"%1\"");
}

}  // namespace
