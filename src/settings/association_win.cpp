#include "settings/association_win.h"

#include <shlobj.h>

#include <string>

#include "common/visual_win.h"
#include "settings/settings_win.h"

const wchar_t* const kAssociatedExtensions[21] = {
    L".txt", L".cpp", L".h",   L".c",  L".hpp", L".cxx", L".cc", L".json", L".xml", L".ini", L".log",
    L".md",  L".csv", L".bat", L".cmd", L".py", L".js",  L".css", L".html", L".sql", L".sh"};

namespace {
const wchar_t kProgId[] = L"Software\\Classes\\Norvo.Document";

bool SetDefaultString(const std::wstring& key, const std::wstring& value) {
  HKEY h = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
    return false;
  RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  return true;
}

// The stored open command, when it is a string.
std::wstring StoredCommand() {
  HKEY h = nullptr;
  std::wstring key = std::wstring(kProgId) + L"\\shell\\open\\command";
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return {};
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  std::wstring value;
  if (RegQueryValueExW(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    value.assign(buffer, size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
  }
  RegCloseKey(h);
  return value;
}
}  // namespace

bool RegisterFileAssociation() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(exe) + L"\" \"%1\"";
  if (StoredCommand() == command) return false;

  SetDefaultString(kProgId, L"Norvo Document");
  SetDefaultString(std::wstring(kProgId) + L"\\DefaultIcon", std::wstring(exe) + L",0");
  SetDefaultString(std::wstring(kProgId) + L"\\shell\\open\\command", command);
  for (const wchar_t* ext : kAssociatedExtensions) {
    std::wstring base = std::wstring(L"Software\\Classes\\") + ext;
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (base + L"\\OpenWithList\\Norvo.exe").c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &h, nullptr) == ERROR_SUCCESS)
      RegCloseKey(h);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (base + L"\\OpenWithProgids").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &h, nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(h, L"Norvo.Document", 0, REG_NONE, nullptr, 0);
      RegCloseKey(h);
    }
  }
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return true;
}

void OnSystemColorsChanged(HWND mainWindow) { SetTitleBarDark(mainWindow, GetColorPalette().isDark); }
