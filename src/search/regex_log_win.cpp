#include "search/regex_log_win.h"

#include "common/handles_win.h"
#include "common/win.h"
#include "search/regex_log.h"
#include "settings/settings_win.h"

namespace {
// FILETIME (100 ns since 1601) to seconds.
int64_t Seconds(const FILETIME& ft) {
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return static_cast<int64_t>(v.QuadPart / 10'000'000ULL);
}
}  // namespace

LocalTime CurrentLocalTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::u16string MakeRegexLogPath() {
  std::u16string folder = GetConfigFolder();  // creates the folder when missing
  if (folder.empty()) return {};
  return folder + u"\\" + RegexLogFileName(CurrentLocalTime());
}

void PurgeOldScratchFiles() {
  std::u16string folder = GetConfigFolder();
  if (folder.empty() || GetFileAttributesW(W(folder)) == INVALID_FILE_ATTRIBUTES) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW(W(folder + u"\\*"), &fd));
  if (find.get() == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::u16string name = U16(fd.cFileName);
    int64_t written = Seconds(fd.ftLastWriteTime);
    if ((IsExpiredRegexLog(name, written, Seconds(now)) || IsExpiredTempCopy(name, written, Seconds(now))) &&
        !DeleteFileW(W(folder + u"\\" + name)))
      break;
  } while (FindNextFileW(find.get(), &fd));
}
