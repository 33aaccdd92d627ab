#include "common/win.h"  // before the other system headers

#include "settings/settings_win.h"

#include <shlobj.h>

#include <vector>

#include "common/handles_win.h"
#include "common/utf.h"
#include "common/win.h"

AppSettings g_settings;
LiveSettings g_live;

void CopyLiveFromSettings() {
  g_live.themeId = g_settings.themeId;
  g_live.wordWrap = g_settings.wordWrap != 0;
  g_live.showLineNumbers = g_settings.showLineNumbers != 0;
  g_live.fontSize = g_settings.fontSize;
  g_live.fontName = g_settings.fontName.Get();
}

void CopyLiveToSettings() {
  g_settings.themeId = g_live.themeId;
  g_settings.wordWrap = g_live.wordWrap ? 1 : 0;
  g_settings.showLineNumbers = g_live.showLineNumbers ? 1 : 0;
  g_settings.fontSize = g_live.fontSize;
  g_settings.fontName.Set(g_live.fontName);
}

std::u16string GetConfigFolder() {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buffer))) return {};
  std::u16string folder = U16(buffer) + u"\\Norvo";
  CreateDirectoryW(W(folder), nullptr);
  return folder;
}

std::u16string GetConfigFilePath() {
  std::u16string folder = GetConfigFolder();
  return folder.empty() ? u"norvo.cfg" : folder + u"\\norvo.cfg";
}

std::u16string MakeTempPdfPath() {
  std::u16string folder = GetConfigFolder();
  SYSTEMTIME st;
  GetLocalTime(&st);
  LocalTime t{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
  return FormatTempPdfPath(folder, t);
}

bool LoadSettings(AppSettings& settings) {
  std::u16string path = GetConfigFilePath();
  UniqueHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::vector<unsigned char> bytes(kSettingsFileSize);
  DWORD total = 0;
  if (file) {
    while (total < bytes.size()) {
      DWORD got = 0;
      if (!ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &got, nullptr) ||
          got == 0)
        break;
      total += got;
    }
  }
  return ParseSettingsFile(bytes.data(), total, settings);
}

namespace {
void (*g_saveFailed)() = nullptr;
}  // namespace

void SetSettingsSaveFailedHandler(void (*handler)()) { g_saveFailed = handler; }

bool SaveSettings(const AppSettings& settings) {
  std::u16string path = GetConfigFilePath();
  // A temporary name of this process's own, so that two instances saving at once do not collide.
  std::u16string pid;
  for (DWORD id = GetCurrentProcessId(); id; id /= 10) pid.insert(pid.begin(), static_cast<char16_t>(u'0' + id % 10));
  std::u16string temp = path + u"." + pid + u".tmp";
  std::vector<unsigned char> image = BuildSettingsFile(settings);
  bool written = false;
  {
    UniqueHandle file(CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      if (g_saveFailed) g_saveFailed();
      return false;
    }
    DWORD done = 0;
    written = WriteFile(file.get(), image.data(), static_cast<DWORD>(image.size()), &done, nullptr) &&
              done == image.size() && FlushFileBuffers(file.get());
  }
  if (written && MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileW(W(temp));
  if (g_saveFailed) g_saveFailed();
  return false;
}

const ColorPalette& GetColorPalette() { return PaletteForTheme(g_live.themeId); }

std::string EditorFontUtf8() {
  std::string name = Utf16ToUtf8(g_live.fontName);
  if (name.size() > 63) {
    size_t cut = 63;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name;
}
