#include "document/encoding.h"

#include <algorithm>
#include <cstring>

const char* EncodingName(int32_t encoding) {
  switch (static_cast<TextEncoding>(encoding)) {
    case TextEncoding::Utf8Bom: return "UTF-8 BOM";
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf16Le: return "UTF-16 LE";
    case TextEncoding::Utf16Be: return "UTF-16 BE";
    case TextEncoding::Ansi: return "ANSI";
  }
  return "UTF-8";
}

const char* EolModeName(int mode) {
  switch (mode) {
    case EolCrLf: return "CRLF";
    case EolCr: return "CR";
    case EolLf: return "LF";
    default: return "?";
  }
}

bool LooksBinary(const unsigned char* data, size_t size) {
  if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) return false;
  size_t probe = std::min(size, kBinaryProbeBytes);
  int zeros = 0;
  for (size_t i = 0; i < probe; ++i) {
    if (data[i] == 0 && ++zeros == 3) return true;
  }
  return false;
}

DetectedEncoding DetectEncoding(const unsigned char* data, size_t size) {
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) return {TextEncoding::Utf8Bom, 3};
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) return {TextEncoding::Utf16Le, 2};
  if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) return {TextEncoding::Utf16Be, 2};
  return {TextEncoding::Utf8, 0};
}

void LineEndScan::Scan(const char* text, size_t length) {
  if (!cr) cr = std::memchr(text, '\r', length) != nullptr;
  if (!lf) lf = std::memchr(text, '\n', length) != nullptr;
}

int LineEndScan::Mode() const {
  if (cr && lf) return EolCrLf;
  if (cr) return EolCr;
  if (lf) return EolLf;
  return -1;
}

int DetectEolMode(std::string_view text) {
  LineEndScan scan;
  scan.Scan(text.data(), text.size());
  return scan.Mode();
}
