#include "common/utf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {
std::vector<unsigned char> Le(std::u16string_view s) {
  std::vector<unsigned char> b;
  for (char16_t c : s) {
    b.push_back(static_cast<unsigned char>(c & 0xFF));
    b.push_back(static_cast<unsigned char>(c >> 8));
  }
  return b;
}
std::vector<unsigned char> Be(std::u16string_view s) {
  std::vector<unsigned char> b;
  for (char16_t c : s) {
    b.push_back(static_cast<unsigned char>(c >> 8));
    b.push_back(static_cast<unsigned char>(c & 0xFF));
  }
  return b;
}
}  // namespace

TEST(Utf, Utf16ToUtf8CoversEveryWidth) {
  EXPECT_EQ(Utf16ToUtf8(u"A\u00e9\u20ac\U0001F600"), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u""), "");
}

TEST(Utf, LoneSurrogatesBecomeReplacementCharacters) {
  std::u16string high(1, static_cast<char16_t>(0xD83D));
  std::u16string low(1, static_cast<char16_t>(0xDE00));
  EXPECT_EQ(Utf16ToUtf8(high + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(Utf16ToUtf8(u"x" + low), "x\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(high), "\xEF\xBF\xBD");        // at the very end
  EXPECT_EQ(Utf16ToUtf8(low + high), "\xEF\xBF\xBD\xEF\xBF\xBD");  // reversed pair
}

TEST(Utf, WriteUtf8GivesTheSameBytesInPlace) {
  const std::u16string high(1, static_cast<char16_t>(0xD83D)), low(1, static_cast<char16_t>(0xDE00));
  for (const std::u16string& text : {std::u16string(u"plain"), std::u16string(u"A\u00e9\u20ac\U0001F600"), high + u"x",
                                     u"x" + low, low + high, std::u16string()}) {
    std::string out(3 * text.size() + 1, '#');
    char* end = WriteUtf8(out.data(), text);
    EXPECT_EQ(std::string(out.data(), end), Utf16ToUtf8(text));
    EXPECT_EQ(out.back(), '#');  // three bytes a unit is enough
  }
}

TEST(Utf, BytesInEitherByteOrder) {
  std::u16string text = u"Zdravo \u0161\u0111 \U0001F600\r\n";
  auto le = Le(text);
  auto be = Be(text);
  EXPECT_EQ(Utf16BytesToUtf8(le.data(), le.size(), false), Utf16ToUtf8(text));
  EXPECT_EQ(Utf16BytesToUtf8(be.data(), be.size(), true), Utf16ToUtf8(text));
  EXPECT_EQ(Utf8LengthOfUtf16Bytes(le.data(), le.size(), false), Utf16ToUtf8(text).size());
}

TEST(Utf, OddLastByteIsDropped) {
  auto le = Le(u"ab");
  le.push_back('c');
  EXPECT_EQ(Utf16BytesToUtf8(le.data(), le.size(), false), "ab");
  auto be = Be(u"ab");
  be.push_back(0x00);
  EXPECT_EQ(Utf16BytesToUtf8(be.data(), be.size(), true), "ab");
  unsigned char one = 'x';
  EXPECT_EQ(Utf16BytesToUtf8(&one, 1, false), "");
}

TEST(Utf, SurrogatePairSplitAcrossOddEnd) {
  // A high surrogate whose low half is cut off by an odd length is a lone surrogate.
  auto le = Le(u"\U0001F600");
  le.pop_back();
  EXPECT_EQ(Utf16BytesToUtf8(le.data(), le.size(), false), "\xEF\xBF\xBD");
}

TEST(Utf, Utf8ToUtf16RoundTripsAndReplacesInvalid) {
  std::u16string text = u"A\u00e9\u20ac\U0001F600";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD");             // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");             // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");         // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

// Every way of cutting the input into two or three even pieces gives the whole conversion.
TEST(Utf, ChunkDecoderMatchesWholeConversionAtEveryCut) {
  std::u16string text = u"a\u00e9\U0001F600b\U0001F601";
  for (bool bigEndian : {false, true}) {
    std::vector<unsigned char> bytes = bigEndian ? Be(text) : Le(text);
    bytes.push_back(0x41);  // an odd last byte
    std::string whole = Utf16BytesToUtf8(bytes.data(), bytes.size(), bigEndian);
    for (size_t cut1 = 0; cut1 <= bytes.size(); cut1 += 2) {
      for (size_t cut2 = cut1; cut2 <= bytes.size(); cut2 += 2) {
        Utf16ChunkDecoder decoder(bigEndian);
        std::string out, piece;
        decoder.Feed(bytes.data(), cut1, false, piece);
        out += piece;
        decoder.Feed(bytes.data() + cut1, cut2 - cut1, false, piece);
        out += piece;
        decoder.Feed(bytes.data() + cut2, bytes.size() - cut2, true, piece);
        out += piece;
        ASSERT_EQ(out, whole) << "cuts " << cut1 << ", " << cut2 << (bigEndian ? " BE" : " LE");
      }
    }
  }
}

TEST(Utf, ChunkDecoderEndsAPendingHighSurrogate) {
  std::u16string high(1, static_cast<char16_t>(0xD83D));
  std::vector<unsigned char> bytes = Le(u"x" + high);
  Utf16ChunkDecoder decoder(false);
  std::string piece, out;
  decoder.Feed(bytes.data(), bytes.size(), false, piece);
  out += piece;
  decoder.Feed(nullptr, 0, true, piece);
  out += piece;
  EXPECT_EQ(out, "x\xEF\xBF\xBD");
}

// A cut never splits a character; checked against a decode of every prefix.
TEST(Utf, Utf8PrefixStopsAtACharacterBoundary) {
  const std::string text = "ab\xC5\xA1" "c\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a b š c € 😀 z
  for (size_t max = 0; max <= text.size() + 2; ++max) {
    size_t n = Utf8PrefixLength(text, max);
    ASSERT_LE(n, std::min(max, text.size()));
    // The prefix is whole characters: converting it produces no replacement character.
    EXPECT_EQ(Utf8ToUtf16(text.substr(0, n)).find(u'\uFFFD'), std::u16string::npos) << max;
    // And it is the longest such prefix: one more byte would not be a whole character or
    // would be over the limit.
    if (n < std::min(max, text.size())) {
      EXPECT_NE(Utf8ToUtf16(text.substr(0, n + 1)).find(u'\uFFFD'), std::u16string::npos) << max;
    }
  }
  EXPECT_EQ(Utf8PrefixLength("abc", 31), 3u);
}

TEST(Utf, HexText) {
  EXPECT_EQ(HexText(0), u"0");
  EXPECT_EQ(HexText(0xABCDEFull), u"abcdef");
  EXPECT_EQ(HexText(0xFFFFFFFFFFFFFFFFull), u"ffffffffffffffff");
}
