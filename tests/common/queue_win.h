// The print queue that tests/check_print_queue.py provides (scripts/print-queue): where its
// PDF files appear, and the next one once it is complete.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "common/handles_win.h"
#include "common/utf.h"
#include "common/win.h"
#include "files_win.h"

// A folder given by the queue script as a Linux path, seen through Wine's Z: drive; empty when
// the variable is not set.
inline std::u16string FolderFromEnvironment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  if (length == 0 || length >= 1024) return {};
  std::u16string folder = u"Z:" + U16(value);
  for (char16_t& c : folder) {
    if (c == u'/') c = u'\\';
  }
  while (folder.ends_with(u'\\')) folder.pop_back();
  return folder;
}

// The PDF files in a folder with their times of writing: the queue's server numbers its jobs
// from 1 each time it starts, so a new job may reuse an earlier job's name.
using QueuedFiles = std::map<std::u16string, uint64_t>;
inline QueuedFiles PdfFilesIn(const std::u16string& folder) {
  QueuedFiles files;
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW(W(folder + u"\\*.pdf"), &fd));
  if (find.get() == INVALID_HANDLE_VALUE) return files;
  do {
    files[U16(fd.cFileName)] = (uint64_t{fd.ftLastWriteTime.dwHighDateTime} << 32) | fd.ftLastWriteTime.dwLowDateTime;
  } while (FindNextFileW(find.get(), &fd));
  return files;
}

// A PDF that is new since `before` and complete (it ends with its end-of-file marker), or
// nothing yet.
inline std::string NewQueuedPdf(const std::u16string& queue, const QueuedFiles& before) {
  for (const auto& [name, written] : PdfFilesIn(queue)) {
    if (auto was = before.find(name); was != before.end() && was->second == written) continue;
    std::string pdf = ReadBytes(queue + u"\\" + name);
    const size_t end = pdf.rfind("%%EOF");
    if (end != std::string::npos && pdf.find_first_not_of("\r\n ", end + 5) == std::string::npos) return pdf;
  }
  return {};
}
