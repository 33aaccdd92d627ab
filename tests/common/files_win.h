// Whole-file reads and writes for the test programs and the benchmark.
#pragma once
#include <string>

#include "common/win.h"

inline std::string ReadBytes(const std::u16string& path) {
  HANDLE f = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string bytes(GetFileSize(f, nullptr), '\0');
  DWORD done = 0;
  ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(f);
  bytes.resize(done);
  return bytes;
}

// Creates or replaces the file; clears a read-only attribute first.
inline bool WriteBytes(const std::u16string& path, const std::string& bytes) {
  SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);
  HANDLE f = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size();
  CloseHandle(f);
  return ok;
}

// The most recently written file of a folder that matches a wildcard pattern; empty if none.
inline std::u16string NewestFile(const std::u16string& folder, const std::u16string& pattern) {
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(W(folder + u"\\" + pattern), &fd);
  std::u16string newest;
  FILETIME best{};
  if (find == INVALID_HANDLE_VALUE) return newest;
  do {
    if (CompareFileTime(&fd.ftLastWriteTime, &best) >= 0) {
      best = fd.ftLastWriteTime;
      newest = folder + u"\\" + U16(fd.cFileName);
    }
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  return newest;
}
