// The recent-file list, the disk state of the open file, and the questions asked before
// a document is replaced or closed. No window handles here.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "settings/settings.h"

using RecentList = std::array<std::u16string, kRecentFileCount>;

RecentList ReadRecentList(const AppSettings& settings);
void WriteRecentList(AppSettings& settings, const RecentList& list);

// Case-insensitive comparison with the C runtime's default rules (ASCII letters fold).
bool PathsEqualIgnoringCase(std::u16string_view a, std::u16string_view b);

// Moves or inserts `path` at the top (cut to 259 characters); no effect for an empty path.
void AddRecent(RecentList& list, std::u16string_view path);
// Removes entry `index`; the rest move up and the last slot empties. No effect above 9.
void RemoveRecent(RecentList& list, size_t index);

enum class FileOnDisk { Present = 0, Deleted = 1, Moved = 2 };

// Present for an untitled document or an existing file; a missing file whose folder is
// still there was moved (or renamed), otherwise it was deleted.
FileOnDisk CheckFileOnDisk(std::u16string_view path, const std::function<bool(std::u16string_view)>& exists);

// Whether replacing or closing the document needs a question at all.
inline bool NeedsSavePrompt(FileOnDisk state, bool modified) { return modified || state != FileOnDisk::Present; }

// The question before the document is replaced or closed (`name` is its display name).
std::u16string SavePromptText(std::u16string_view name, FileOnDisk state, bool modified);
// The question when the main window is activated and the file has gone.
std::u16string FileChangedText(std::u16string_view name, FileOnDisk state);
// The question for a recent entry whose file no longer exists.
std::u16string VanishedRecentText(std::u16string_view name);
