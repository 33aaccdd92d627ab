#include "document/safe_save_win.h"

#include "common/file_win.h"
#include "document/document_hooks_win.h"

#include <algorithm>

namespace {

// Writes bytes [from, to) of mark + text at the file's position; a short count is a failure
// (a full volume may report success with fewer bytes written and no error).
bool WriteRange(HANDLE file, const SaveBytes& bytes, size_t from, size_t to) {
  auto writePiece = [&](std::string_view piece, size_t offset) {
    size_t begin = std::clamp(from, offset, offset + piece.size()) - offset;
    size_t end = std::clamp(to, offset, offset + piece.size()) - offset;
    while (begin < end) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(end - begin, 1u << 30));
      DWORD done = 0;
      if (!g_documentHooks.writeFile(file, piece.data() + begin, chunk, &done, nullptr) || done != chunk) return false;
      begin += chunk;
    }
    return true;
  };
  return writePiece(bytes.mark, 0) && writePiece(bytes.text, bytes.mark.size());
}

bool SeekTo(HANDLE file, size_t offset) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

bool CutAt(HANDLE file, size_t offset) {
  return SeekTo(file, offset) && SetEndOfFile(file);
}

// The temporary file of a save: closed, then removed again unless it was put in place.
struct TempFile {
  UniqueHandle handle;
  std::u16string path;
  bool keep = false;
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    handle.reset();
    if (!keep && !path.empty()) DeleteFileW(W(path));
  }
};

bool CreateTempBeside(const std::u16string& path, TempFile& temp) {
  temp.handle = CreateTempFileBeside(path, &temp.path, g_documentHooks.openForSave);
  return static_cast<bool>(temp.handle);
}

bool PutInPlace(const std::u16string& tempPath, const std::u16string& path, bool replacing) {
  if (!replacing) return MoveFileExW(W(tempPath), W(path), MOVEFILE_WRITE_THROUGH) != 0;
  if (ReplaceFileW(W(path), W(tempPath), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                   nullptr, nullptr))
    return true;
  // Without a backup name this means the old file is already gone and the new one still
  // waits under its temporary name: it can only be moved.
  return GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
         MoveFileExW(W(tempPath), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// The fallback where no file can be created beside the document: written over itself,
// with everything beyond the old end written first.
bool WriteInPlace(const std::u16string& path, const SaveBytes& bytes, UniqueHandle& lock) {
  // The lock may hold a file that is no longer there (deleted, or its folder removed behind the
  // program's back): writing through it would report a save that nothing on disk keeps.
  if (lock && GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES) return false;
  UniqueHandle own;
  bool created = false;
  if (!lock) {
    own.reset(g_documentHooks.openForSave(W(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!own) return false;
    created = GetLastError() != ERROR_ALREADY_EXISTS;
  }
  HANDLE file = lock ? lock.get() : own.get();
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) != 0;
  const size_t oldSize = ok ? static_cast<size_t>(size.QuadPart) : 0, newSize = bytes.size();
  if (ok && newSize > oldSize) {
    // A full disk fails here, before one byte of the old content has been touched.
    ok = SeekTo(file, oldSize) && WriteRange(file, bytes, oldSize, newSize) && FlushFileBuffers(file);
    if (!ok) CutAt(file, oldSize);
  }
  ok = ok && SeekTo(file, 0) && WriteRange(file, bytes, 0, std::min(oldSize, newSize)) && CutAt(file, newSize) &&
       FlushFileBuffers(file);
  if (!ok && created) {
    own.reset();
    DeleteFileW(W(path));
  }
  if (ok && own) lock = std::move(own);
  return ok;
}

}  // namespace

HANDLE OpenLocked(const std::u16string& path) {
  return CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteFileSafely(const std::u16string& path, SaveBytes bytes, UniqueHandle& lock) {
  TempFile temp;
  if (!CreateTempBeside(path, temp)) return WriteInPlace(path, bytes, lock);
  if (!WriteRange(temp.handle.get(), bytes, 0, bytes.size()) || !FlushFileBuffers(temp.handle.get())) return false;
  if (!CloseHandle(temp.handle.release())) return false;

  const DWORD attributes = GetFileAttributesW(W(path));
  const bool replacing = attributes != INVALID_FILE_ATTRIBUTES;
  lock.reset();  // the replace needs the file to itself
  // A read-only mark set while the document was open (its lock could write) does not stop
  // the save, as it did not when the lock wrote in place; it is put back afterwards.
  if (replacing && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(W(path), attributes & ~FILE_ATTRIBUTE_READONLY);
  const bool placed = PutInPlace(temp.path, path, replacing);
  if (placed) temp.keep = true;  // it is the document's file now
  // The replace keeps the attributes on Windows but not everywhere (Wine drops "hidden").
  if (replacing) SetFileAttributesW(W(path), attributes);
  // The old file is gone only when the replace failed half-way: the temporary file is then
  // the only copy on disk and stays.
  if (!placed && replacing && GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES) temp.keep = true;
  lock.reset(OpenLocked(path));
  return placed;
}
