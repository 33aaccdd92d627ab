#include "common/file_win.h"

#include <algorithm>

WriteResult WriteWholeFile(const std::u16string& path, const char* data, size_t size) {
  HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return WriteResult::CannotCreate;
  bool ok = true;
  size_t done = 0;
  while (ok && done < size) {
    DWORD piece = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(file, data + done, piece, &written, nullptr) && written == piece;
    done += written;
  }
  ok = CloseHandle(file) && ok;
  return ok ? WriteResult::Written : WriteResult::WriteFailed;
}
