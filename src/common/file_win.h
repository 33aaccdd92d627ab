// Writing a whole file in one go.
#pragma once
#include <string>

#include "common/win.h"

enum class WriteResult { Written, CannotCreate, WriteFailed };

// Creates (or replaces) the file and writes the bytes; WriteFailed covers a failed write or
// close, and leaves whatever part was written.
WriteResult WriteWholeFile(const std::u16string& path, const char* data, size_t size);
