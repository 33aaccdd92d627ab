#include "document/recovery_restore_win.h"

#include <algorithm>
#include <new>
#include <vector>

#include "common/handles_win.h"
#include "common/trace_win.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "document/recovery_format.h"
#include "document/recovery_win.h"
#include "document/safe_save_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"

namespace {
const std::u16string kTitle = u"Norvo - Recovery";

// A copy this instance took over from an ended one: its name now, and the name it had.
struct ClaimedCopy {
  std::u16string path, originalPath;
};

uint64_t FileTimeValue(const FILETIME& ft) {
  return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

std::vector<std::u16string> CopyNames(const std::u16string& folder) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW(W(folder + u"\\*.nrc"), &fd));
  if (find.get() == INVALID_HANDLE_VALUE) return names;
  do {
    const std::u16string name = U16(fd.cFileName);
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsRecoveryCopyName(name)) names.push_back(name);
  } while (FindNextFileW(find.get(), &fd));
  std::sort(names.begin(), names.end());
  return names;
}

// Renames the copies of instances that are no longer running to names of this instance, so
// that two starts at once never ask about the same copy.
std::vector<ClaimedCopy> ClaimOrphanedCopies(const std::u16string& folder) {
  std::vector<ClaimedCopy> claimed;
  unsigned number = 0;
  for (const std::u16string& name : CopyNames(folder)) {
    if (RecoveryOwnerRunning(OwnerOfCopy(name))) continue;
    ClaimedCopy copy{folder + u"\\" + ClaimedCopyName(RecoveryInstanceId(), ++number), folder + u"\\" + name};
    if (MoveFileExW(W(copy.originalPath), W(copy.path), 0)) claimed.push_back(copy);
  }
  return claimed;
}

// The whole file, or empty with `ok` false.
std::string ReadWhole(const std::u16string& path, bool* ok) {
  *ok = false;
  UniqueHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart >= 0xFFFFFFFFLL) return {};
  std::string bytes;
  try {
    bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return {};
  }
  for (size_t at = 0; at < bytes.size();) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 30));
    if (!ReadFile(file.get(), bytes.data() + at, want, &got, nullptr) || got == 0) return {};
    at += got;
  }
  *ok = true;
  return bytes;
}

FileSince CompareWithDisk(const RecoveryMeta& meta) {
  if (meta.path.empty()) return FileSince::Untitled;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(W(meta.path), GetFileExInfoStandard, &data)) return FileSince::Gone;
  if (meta.fileWritten != 0 && FileTimeValue(data.ftLastWriteTime) != meta.fileWritten) return FileSince::Changed;
  return FileSince::Unchanged;
}

LocalTime LocalTimeOf(uint64_t fileTime) {
  FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
  SYSTEMTIME u{}, t{};
  if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &t)) t = u;
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

// Renames a claimed copy for keeping aside; the kept file's time is now, from which its
// seven days count.
std::u16string KeepAside(const std::u16string& path, std::u16string_view ending) {
  const size_t slash = path.find_last_of(u'\\');
  const std::u16string kept = path.substr(0, slash + 1) + KeptAsideName(path.substr(slash + 1), ending);
  if (!MoveFileExW(W(path), W(kept), MOVEFILE_REPLACE_EXISTING)) return path;
  UniqueHandle file(CreateFileW(W(kept), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  if (file) SetFileTime(file.get(), nullptr, nullptr, &now);
  return kept;
}

// The text of a copy as this window's document: modified, with the copy's path, encoding and
// line ends. The file on disk is locked as a loaded one is, but not written.
bool PutIntoEditor(HWND window, const RecoveryMeta& meta, std::string_view text) {
  if (!SetDocumentText(text.data(), text.size())) {
    ShowMessageBox(window, Ok, kTitle, u"Not enough memory to restore the text. Its copy is kept for the next start.");
    return false;
  }
  g_doc.fileHandle.reset();
  if (!meta.path.empty()) g_doc.fileHandle.reset(OpenLocked(meta.path));
  g_doc.path = meta.path;
  g_doc.encoding = static_cast<TextEncoding>(meta.encoding);
  g_doc.readOnly = false;
  Sci(SCI_SETEOLMODE, static_cast<uptr_t>(meta.eolMode));
  NotifyDocument(DocumentEvent::Loaded, meta.path);
  g_doc.modified = true;
  NotifyDocument(DocumentEvent::StateChanged);
  Trace("Norvo: Restored unsaved text from a recovery copy\n");
  return true;
}

// Opens a further restored text in a Norvo window of its own.
bool RestoreInNewWindow(const std::u16string& copyPath) {
  wchar_t exe[MAX_PATH] = {};
  if (!GetModuleFileNameW(nullptr, exe, MAX_PATH)) return false;
  std::u16string line = u"\"" + U16(exe) + u"\" --restore \"" + copyPath + u"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe, W(line.data()), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

// One claimed copy: read, checked, asked about and acted on. True when its text became
// this window's document.
bool OfferCopy(HWND window, const ClaimedCopy& copy, bool here) {
  bool read = false;
  const std::string bytes = ReadWhole(copy.path, &read);
  RecoveryMeta meta;
  std::string_view text;
  const RecoveryRead result = read ? ReadRecoveryFile(bytes, &meta, &text) : RecoveryRead::Damaged;
  if (result == RecoveryRead::NotACopy || result == RecoveryRead::NewerVersion) {
    MoveFileExW(W(copy.path), W(copy.originalPath), 0);  // not this program's to judge
    return false;
  }
  if (result == RecoveryRead::Damaged) {
    ShowMessageBox(window, Ok, kTitle, DamagedCopyText(KeepAside(copy.path, u"damaged")));
    return false;
  }
  const std::u16string question = RecoveryQuestionText(meta.path, LocalTimeOf(meta.copiedAt), CompareWithDisk(meta));
  if (ShowMessageBox(window, YesNo, kTitle, question) != ResultYes) {
    KeepAside(copy.path, u"old");
    return false;
  }
  if (!here) {
    if (!RestoreInNewWindow(copy.path))
      ShowMessageBox(window, Ok, kTitle, u"Cannot open another Norvo window. The text is kept for the next start.");
    return false;
  }
  if (!PutIntoEditor(window, meta, text)) return false;
  AdoptRecoveryCopy(copy.path);  // the restored text keeps its copy until it is saved
  return true;
}

}  // namespace

bool OfferRecoveredCopies(HWND window, const std::u16string& commandLinePath) {
  const std::u16string folder = RecoveryFolder();
  if (folder.empty()) return false;
  std::vector<ClaimedCopy> claimed = ClaimOrphanedCopies(folder);
  if (claimed.empty()) return false;
  // The command line's file first: its question comes before it is loaded.
  std::vector<std::pair<ClaimedCopy, bool>> ordered;
  for (const ClaimedCopy& copy : claimed) {
    bool ok = false;
    RecoveryMeta meta;
    std::string_view text;
    const std::string bytes = commandLinePath.empty() ? std::string() : ReadWhole(copy.path, &ok);
    const bool same = ok && ReadRecoveryFile(bytes, &meta, &text) == RecoveryRead::Ok && !meta.path.empty() &&
                      SamePath(meta.path, commandLinePath);
    ordered.emplace_back(copy, same);
  }
  std::stable_partition(ordered.begin(), ordered.end(), [](const auto& entry) { return entry.second; });
  bool restored = false;
  for (const auto& [copy, sameAsCommandLine] : ordered) {
    const bool here = !restored && (commandLinePath.empty() || sameAsCommandLine);
    if (OfferCopy(window, copy, here)) restored = true;
  }
  return restored;
}

bool RestoreChosenCopy(HWND window, const std::u16string& copyPath) {
  bool read = false;
  const std::string bytes = ReadWhole(copyPath, &read);
  RecoveryMeta meta;
  std::string_view text;
  if (!read || ReadRecoveryFile(bytes, &meta, &text) != RecoveryRead::Ok) {
    ShowMessageBox(window, Ok, kTitle, u"The recovery copy cannot be read:\n\n" + copyPath);
    return false;
  }
  if (!PutIntoEditor(window, meta, text)) return false;
  AdoptRecoveryCopy(copyPath);
  return true;
}

void PurgeOldRecoveryCopies() {
  const std::u16string folder = RecoveryFolder();
  if (folder.empty()) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const int64_t nowSeconds = static_cast<int64_t>(FileTimeValue(now) / 10'000'000ULL);
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW(W(folder + u"\\*"), &fd));
  if (find.get() == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::u16string name = U16(fd.cFileName);
    const int64_t written = static_cast<int64_t>(FileTimeValue(fd.ftLastWriteTime) / 10'000'000ULL);
    if (IsExpiredRecoveryFile(name, written, nowSeconds)) DeleteFileW(W(folder + u"\\" + name));
  } while (FindNextFileW(find.get(), &fd));
}
