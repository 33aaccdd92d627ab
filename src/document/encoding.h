// What a file's bytes are: binary or text, which encoding, which line ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// Stored as a 32-bit integer; the values are part of the program's behaviour.
enum class TextEncoding : int32_t { Utf8Bom = 0, Utf8 = 1, Utf16Le = 2, Utf16Be = 3, Ansi = 4 };

// The edit control's own line-end values (SC_EOL_CRLF, SC_EOL_CR, SC_EOL_LF).
enum EolMode : int { EolCrLf = 0, EolCr = 1, EolLf = 2 };

// Status-bar name of an encoding value; anything unknown reads "UTF-8".
const char* EncodingName(int32_t encoding);
inline const char* EncodingName(TextEncoding encoding) { return EncodingName(static_cast<int32_t>(encoding)); }

// Status-bar name of a line-end mode: "CRLF", "CR", "LF", anything else "?".
const char* EolModeName(int mode);

// Binary test: files starting with a UTF-16 mark are text; otherwise a third zero byte
// within the first 1024 bytes makes the file binary.
constexpr size_t kBinaryProbeBytes = 1024;
bool LooksBinary(const unsigned char* data, size_t size);

struct DetectedEncoding {
  TextEncoding encoding;
  size_t bomSize;  // bytes of byte-order mark to skip
};
// Decided from the byte-order mark alone; text without one is UTF-8.
DetectedEncoding DetectEncoding(const unsigned char* data, size_t size);

// Notes whether CR and LF occur in text that arrives in pieces.
struct LineEndScan {
  bool cr = false;
  bool lf = false;
  void Scan(const char* text, size_t length);
  int Mode() const;  // as DetectEolMode
};

// Line-end mode from the presence of CR and LF anywhere in the text;
// -1 when the text has neither (the mode is then left as it is).
int DetectEolMode(std::string_view text);
