#include "document/encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<unsigned char> Bytes(std::string_view s) { return {s.begin(), s.end()}; }
}  // namespace

TEST(BinaryTest, TwoZerosInTheProbePassThreeFail) {
  std::vector<unsigned char> text(2000, 'a');
  text[10] = 0;
  text[500] = 0;
  EXPECT_FALSE(LooksBinary(text.data(), text.size()));
  text[1023] = 0;  // last byte of the probe
  EXPECT_TRUE(LooksBinary(text.data(), text.size()));
}

TEST(BinaryTest, ZerosAfterTheFirst1024BytesNeverCount) {
  std::vector<unsigned char> text(5000, 'a');
  text[0] = 0;
  text[1] = 0;
  for (size_t i = 1024; i < text.size(); i += 3) text[i] = 0;
  EXPECT_FALSE(LooksBinary(text.data(), text.size()));
}

TEST(BinaryTest, Utf16MarksSkipTheTest) {
  auto le = Bytes(std::string("\xFF\xFE" "a\0b\0c\0", 8));
  auto be = Bytes(std::string("\xFE\xFF\0a\0b\0c", 8));
  EXPECT_FALSE(LooksBinary(le.data(), le.size()));
  EXPECT_FALSE(LooksBinary(be.data(), be.size()));
  // The same text without a mark is binary.
  EXPECT_TRUE(LooksBinary(le.data() + 2, le.size() - 2));
}

TEST(BinaryTest, EmptyAndTinyFilesAreText) {
  EXPECT_FALSE(LooksBinary(nullptr, 0));
  unsigned char zeros[2] = {0, 0};
  EXPECT_FALSE(LooksBinary(zeros, 2));
  unsigned char three[3] = {0, 0, 0};
  EXPECT_TRUE(LooksBinary(three, 3));
}

struct EncodingCase {
  std::string bytes;
  TextEncoding encoding;
  size_t bom;
};
class DetectEncodingTest : public testing::TestWithParam<EncodingCase> {};

TEST_P(DetectEncodingTest, FromTheMarkAlone) {
  const EncodingCase& c = GetParam();
  DetectedEncoding d = DetectEncoding(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
  EXPECT_EQ(d.encoding, c.encoding);
  EXPECT_EQ(d.bomSize, c.bom);
}

INSTANTIATE_TEST_SUITE_P(
    Marks, DetectEncodingTest,
    testing::Values(EncodingCase{"", TextEncoding::Utf8, 0}, EncodingCase{"x", TextEncoding::Utf8, 0},
                    EncodingCase{"\xEF\xBB\xBFtext", TextEncoding::Utf8Bom, 3},
                    EncodingCase{"\xEF\xBB\xBF", TextEncoding::Utf8Bom, 3},
                    EncodingCase{"\xEF\xBBx", TextEncoding::Utf8, 0}, EncodingCase{"\xEF\xBB", TextEncoding::Utf8, 0},
                    EncodingCase{"\xFF\xFE", TextEncoding::Utf16Le, 2},
                    EncodingCase{"\xFE\xFF", TextEncoding::Utf16Be, 2},
                    EncodingCase{"\xFF", TextEncoding::Utf8, 0},
                    EncodingCase{"plain \xC3\xA9 text", TextEncoding::Utf8, 0}));

struct EolCase {
  std::string text;
  int mode;
};
class EolTest : public testing::TestWithParam<EolCase> {};

TEST_P(EolTest, PresenceOfCrAndLfDecides) { EXPECT_EQ(DetectEolMode(GetParam().text), GetParam().mode); }

INSTANTIATE_TEST_SUITE_P(Texts, EolTest,
                         testing::Values(EolCase{"", -1}, EolCase{"one line", -1}, EolCase{"a\r\nb\r\n", EolCrLf},
                                         EolCase{"a\nb\r\n", EolCrLf}, EolCase{"a\rb\r", EolCr},
                                         EolCase{"a\nb\n", EolLf}, EolCase{"a\n\rb", EolCrLf},
                                         EolCase{std::string("\0\n", 2), EolLf}));
