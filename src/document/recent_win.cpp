#include "document/recent_win.h"

#include "document/recent.h"
#include "settings/settings_win.h"
#include "ui/messagebox_win.h"

void AddRecentFile(const std::u16string& path) {
  if (path.empty()) return;
  RecentList list = ReadRecentList(g_settings);
  AddRecent(list, path);
  WriteRecentList(g_settings, list);
  SaveSettings(g_settings);
}

void RemoveRecentFile(size_t index) {
  if (index >= kRecentFileCount) return;
  RecentList list = ReadRecentList(g_settings);
  RemoveRecent(list, index);
  WriteRecentList(g_settings, list);
  SaveSettings(g_settings);
}

void ClearRecentFiles(HWND owner) {
  if (ShowMessageBox(owner, YesNo, u"Norvo \u2014 Recent Files", u"Clear the entire Recent Files list?") != ResultYes)
    return;
  WriteRecentList(g_settings, RecentList{});
  SaveSettings(g_settings);
}
