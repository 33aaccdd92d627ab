#include "document/recent.h"

#include <algorithm>

RecentList ReadRecentList(const AppSettings& settings) {
  RecentList list;
  for (size_t i = 0; i < list.size(); ++i) list[i] = settings.recentFiles[i].Get();
  return list;
}

void WriteRecentList(AppSettings& settings, const RecentList& list) {
  for (size_t i = 0; i < list.size(); ++i) settings.recentFiles[i].Set(list[i]);
}

namespace {
char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
}  // namespace

bool PathsEqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

void AddRecent(RecentList& list, std::u16string_view path) {
  if (path.empty()) return;
  std::u16string entry(path.substr(0, 259));
  size_t found = list.size() - 1;  // not found: the oldest falls off
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i].empty() && PathsEqualIgnoringCase(list[i], entry)) {
      found = i;
      break;
    }
  }
  for (size_t j = found; j > 0; --j) list[j] = std::move(list[j - 1]);
  list[0] = std::move(entry);
}

void RemoveRecent(RecentList& list, size_t index) {
  if (index >= list.size()) return;
  for (size_t i = index; i + 1 < list.size(); ++i) list[i] = std::move(list[i + 1]);
  list.back().clear();
}

FileOnDisk CheckFileOnDisk(std::u16string_view path, const std::function<bool(std::u16string_view)>& exists) {
  if (path.empty() || exists(path)) return FileOnDisk::Present;
  size_t cut = path.find_last_of(u"\\/");
  if (cut == std::u16string_view::npos) return FileOnDisk::Deleted;
  return exists(path.substr(0, cut)) ? FileOnDisk::Moved : FileOnDisk::Deleted;
}

namespace {
std::u16string Quoted(std::u16string_view name) { return u"\"" + std::u16string(name) + u"\""; }
}  // namespace

std::u16string SavePromptText(std::u16string_view name, FileOnDisk state, bool modified) {
  if (state == FileOnDisk::Present) return u"Save changes to " + Quoted(name) + u"?";
  std::u16string text = Quoted(name);
  text += state == FileOnDisk::Moved ? u" was moved or renamed while open in Norvo.\n"
                                     : u" was deleted from disk while open in Norvo.\n";
  text += modified ? u"Do you want to save your changes?" : u"Do you want to restore it to the original location?";
  return text;
}

std::u16string FileChangedText(std::u16string_view name, FileOnDisk state) {
  std::u16string text = Quoted(name);
  text += state == FileOnDisk::Moved ? u" was moved or renamed outside of Norvo." : u" was deleted from disk.";
  text += u"\n\nDo you want to save it to the original location?";
  return text;
}

std::u16string VanishedRecentText(std::u16string_view name) {
  return Quoted(name) + u" no longer exists on disk.\n\nRemove it from the Recent Files list?";
}
