#include "common/file_win.h"

#include <algorithm>
#include <atomic>

#include "common/utf.h"

namespace {
std::u16string FolderOf(const std::u16string& path) {
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? u"." : path.substr(0, slash);
}

}  // namespace

UniqueHandle CreateTempFileBeside(const std::u16string& path, std::u16string* tempPath, CreateFileFn create) {
  static std::atomic<unsigned long> counter{0};
  const std::u16string stem = FolderOf(path) + u"\\~norvo" + HexText(GetCurrentProcessId()) + u"_";
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::u16string name = stem + HexText(++counter) + u".tmp";
    UniqueHandle file(create(W(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      *tempPath = std::move(name);
      return file;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  tempPath->clear();
  return UniqueHandle();
}

ReplacingFile::ReplacingFile(const std::u16string& path) : path_(path) {
  file_ = CreateTempFileBeside(path, &tempPath_);
}

ReplacingFile::~ReplacingFile() { Discard(); }

bool ReplacingFile::Write(std::string_view bytes) {
  while (file_ && !bytes.empty()) {
    DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD done = 0;
    if (!WriteFile(file_.get(), bytes.data(), piece, &done, nullptr) || done != piece) return false;
    bytes.remove_prefix(piece);
  }
  return static_cast<bool>(file_);
}

std::u16string ReplacingFile::HandOver() {
  file_.reset();
  return tempPath_;
}

void ReplacingFile::Discard() {
  file_.reset();
  if (!committed_ && !tempPath_.empty()) DeleteFileW(W(tempPath_));
  tempPath_.clear();
}

bool ReplacingFile::Flush() {
  return file_ && FlushFileBuffers(file_.get());
}

bool ReplacingFile::Commit() {
  if (tempPath_.empty() || committed_) return false;
  if (file_ && !CloseHandle(file_.release())) return false;
  committed_ = MoveFileExW(W(tempPath_), W(path_), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
  return committed_;
}

WriteResult WriteWholeFile(const std::u16string& path, const char* data, size_t size) {
  ReplacingFile file(path);
  if (!file.Opened()) return WriteResult::CannotCreate;
  if (!file.Write(std::string_view(data, size))) return WriteResult::WriteFailed;
  return file.Commit() ? WriteResult::Written : WriteResult::CannotCreate;
}
