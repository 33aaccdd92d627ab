// File decoding: any bytes as a file's content. The binary test, the byte-order mark, the
// decoder fed in pieces of the fuzzer's choosing, and the line ends, each held against a plain
// reference: the pieces give what the whole file gives, UTF-16 converts as a simple code-point
// loop does, and the line-end mode is that of counting CR and LF by hand.
#include <cstring>
#include <string>

#include "common/utf.h"
#include "document/encoding.h"
#include "document/text_decoder.h"
#include "fuzz_input.h"
#include "reference_utf.h"

namespace {
std::string UpperAnsi(std::string_view bytes) {  // a stand-in for the code page conversion
  std::string out(bytes);
  for (char& c : out) c = static_cast<char>(c & 0x7F);
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t how = in.Byte();      // the decoder's choices
  const uint8_t pieceSeed = in.Byte();
  const std::string_view file = in.Rest();
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());

  // The binary test against its rule read plainly.
  bool bom16 = file.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
  size_t zeros = 0;
  for (size_t i = 0; i < file.size() && i < kBinaryProbeBytes; ++i) zeros += bytes[i] == 0;
  FUZZ_CHECK(LooksBinary(bytes, file.size()) == (!bom16 && zeros >= 3));

  DetectedEncoding detected = DetectEncoding(bytes, file.size());
  FUZZ_CHECK(detected.bomSize <= file.size());
  if (how & 0x80) detected.encoding = TextEncoding::Ansi;  // the code page path too
  const std::string_view body = file.substr(detected.bomSize);

  // The whole text by the reference.
  std::string expected;
  switch (detected.encoding) {
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
      expected = ReferenceUtf16BytesToUtf8(body, detected.encoding == TextEncoding::Utf16Be);
      FUZZ_CHECK(expected == Utf16BytesToUtf8(reinterpret_cast<const unsigned char*>(body.data()), body.size(),
                                              detected.encoding == TextEncoding::Utf16Be));
      FUZZ_CHECK(expected.size() == Utf8LengthOfUtf16Bytes(reinterpret_cast<const unsigned char*>(body.data()),
                                                           body.size(), detected.encoding == TextEncoding::Utf16Be));
      break;
    case TextEncoding::Ansi:
      expected = (how & 0x40) ? UpperAnsi(body) : std::string(body);
      break;
    default:
      expected = std::string(body);
  }

  // The decoder, fed in pieces whose sizes come from a small generator (1 to 64 bytes, or the rest).
  TextDecoder decoder(detected, (how & 0x40) ? &UpperAnsi : nullptr);
  std::string got;
  size_t at = 0;
  uint32_t state = pieceSeed * 2654435761u + 1;
  do {
    state = state * 1103515245u + 12345u;
    size_t piece = (how & 1) ? file.size() : 1 + (state >> 16) % 64;
    piece = std::min(piece, file.size() - at);
    const bool last = at + piece == file.size();
    const std::string_view out = decoder.Feed(bytes + at, piece, last);
    got.append(out);
    at += piece;
    if (last) break;
  } while (true);
  FUZZ_CHECK(got == expected);
  FUZZ_CHECK(decoder.Utf8Size() == got.size());

  // Line ends: from the presence of CR and LF in the decoded text.
  const bool cr = got.find('\r') != std::string::npos, lf = got.find('\n') != std::string::npos;
  const int mode = cr && lf ? EolCrLf : cr ? EolCr : lf ? EolLf : -1;
  FUZZ_CHECK(decoder.LineEndMode() == mode);
  FUZZ_CHECK(DetectEolMode(got) == mode);
  FUZZ_CHECK(std::strlen(EolModeName(mode)) > 0);
  FUZZ_CHECK(std::strlen(EncodingName(static_cast<int32_t>(how) - 64)) > 0);
  return 0;
}
