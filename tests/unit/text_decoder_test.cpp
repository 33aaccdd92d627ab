#include "document/text_decoder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Decodes `file` in pieces of the given sizes (cycled), as the loader reads it.
std::string Decode(const std::string& file, const std::vector<size_t>& pieces, int* mode = nullptr,
                   TextDecoder::AnsiConverter ansi = nullptr) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  TextDecoder decoder(DetectEncoding(bytes, file.size()), ansi);
  std::string out;
  size_t at = 0, k = 0;
  do {
    const size_t n = std::min(pieces[k++ % pieces.size()], file.size() - at);
    const bool last = at + n == file.size();
    out += decoder.Feed(bytes + at, n, last);
    at += n;
  } while (at < file.size());
  EXPECT_EQ(decoder.Utf8Size(), out.size());
  if (mode) *mode = decoder.LineEndMode();
  return out;
}

std::string Utf16Bytes(const std::u16string& text, bool bigEndian) {
  std::string bytes;
  for (char16_t c : text) {
    const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

// Text with pairs, lone halves, CR LF, lone CR and LF, and non-ASCII letters.
std::u16string RandomText(unsigned seed) {
  static const std::u16string kPieces[] = {u"a",      u"\r\n",       u"\n",     u"\r",     u"\u00e9",
                                           u"\u20ac", u"\U0001F600", u"\xD800", u"\xDC00", u"word "};
  std::mt19937 random(seed);
  std::u16string text;
  for (int i = 0; i < 400; ++i) text += kPieces[random() % std::size(kPieces)];
  return text;
}

// Every way of cutting a file gives the UTF-8 of the whole, whichever its encoding.
TEST(TextDecoder, PiecesOfEveryEncodingGiveTheWhole) {
  const std::vector<std::vector<size_t>> cuts = {{1}, {2}, {3}, {7, 1}, {4096}, {5, 2, 9}};
  for (unsigned seed = 1; seed <= 5; ++seed) {
    const std::u16string text = RandomText(seed);
    const std::string utf8 = Utf16ToUtf8(text);
    struct File {
      std::string bytes, expected;
    } files[] = {
        {utf8, utf8},
        {"\xEF\xBB\xBF" + utf8, utf8},
        {"\xFF\xFE" + Utf16Bytes(text, false), utf8},
        {"\xFE\xFF" + Utf16Bytes(text, true), utf8},
        {"\xFF\xFE" + Utf16Bytes(text, false) + "x", utf8},  // an odd last byte is dropped
    };
    for (const File& f : files) {
      for (const auto& cut : cuts) {
        int mode = -2;
        ASSERT_EQ(Decode(f.bytes, cut, &mode), f.expected) << seed << " cut " << cut[0];
        EXPECT_EQ(mode, DetectEolMode(f.expected));
      }
    }
  }
}

TEST(TextDecoder, AMarkOnlyFileIsEmptyAndAnsiIsConvertedWhole) {
  EXPECT_EQ(Decode("\xFF\xFE", {1}), "");
  EXPECT_EQ(Decode("\xEF\xBB\xBF", {2}), "");
  int calls = 0;
  static int* counter = nullptr;
  counter = &calls;
  auto upper = [](std::string_view bytes) {
    ++*counter;
    std::string out(bytes);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
  };
  const auto* text = reinterpret_cast<const unsigned char*>("abc\r\ndef");
  TextDecoder decoder({TextEncoding::Ansi, 0}, upper);
  EXPECT_EQ(decoder.Feed(text, 4, false), "");
  EXPECT_EQ(decoder.Feed(text + 4, 4, true), "ABC\r\nDEF");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(decoder.LineEndMode(), EolCrLf);
}

}  // namespace
