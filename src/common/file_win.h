// Writing files: in one go, or beside the target and put in its place when complete.
#pragma once
#include <string>
#include <string_view>

#include "common/handles_win.h"
#include "common/win.h"

enum class WriteResult { Written, CannotCreate, WriteFailed };

// A new, empty file with a short name ("~norvo<process>_<n>.tmp") in the folder of `path`, so
// that it can take the place of `path` without a copy; `create` opens files (a test may
// replace it). An invalid handle, and `tempPath` empty, when none can be made.
using CreateFileFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
UniqueHandle CreateTempFileBeside(const std::u16string& path, std::u16string* tempPath,
                                  CreateFileFn create = CreateFileW);

// A file written under a temporary name beside its target and put in the target's place only by
// Commit: until then (a failure, a cancel) an earlier file of that name stays as it was, and
// the temporary file goes with the writer.
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::u16string& path);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  bool Opened() const { return static_cast<bool>(file_); }
  // False when not every byte was written (a full volume may report success with fewer).
  bool Write(std::string_view bytes);
  // For another writer (a printer driver): closes the file and gives its temporary path, where
  // that writer puts the content. Commit still moves it over the target; otherwise it goes.
  std::u16string HandOver();
  // Makes the written bytes durable before Commit (a power cut then finds the whole file or none).
  bool Flush();
  // Closes the file and moves it over the target; false when that failed.
  bool Commit();
  // Closes the file and removes it, now rather than when the owner goes.
  void Discard();

 private:
  std::u16string path_, tempPath_;
  UniqueHandle file_;
  bool committed_ = false;
};

// Writes the bytes as a ReplacingFile: on any failure an earlier file of that name is untouched.
// CannotCreate when no file could be made beside it or put in its place, WriteFailed when the
// bytes could not all be written.
WriteResult WriteWholeFile(const std::u16string& path, const char* data, size_t size);
