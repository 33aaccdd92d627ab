#include "common/trace_win.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "common/utf.h"
#include "common/win.h"

void Trace(const char* format, ...) {
  char small[512];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string line;
  if (n < 0) {
    va_end(copy);
    return;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    line.assign(small, static_cast<size_t>(n));
  } else {
    line.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(line.data(), line.size(), format, copy);
    line.resize(static_cast<size_t>(n));
  }
  va_end(copy);
  OutputDebugStringW(W(Utf8ToUtf16(line)));
}

std::string TraceText(const wchar_t* text) { return text ? Utf16ToUtf8(U(text)) : std::string(); }
