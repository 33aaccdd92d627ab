#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
AppSettings Defaults() {
  AppSettings s;
  std::memset(&s, 0xAB, sizeof s);  // ResetSettings must not depend on prior contents
  ResetSettings(s);
  return s;
}

template <typename T>
T ReadAt(const AppSettings& s, size_t offset) {
  T v;
  std::memcpy(&v, reinterpret_cast<const unsigned char*>(&s) + offset, sizeof v);
  return v;
}

// Packed fields may be misaligned: tests compare copies, never references.
template <typename T>
T Val(T v) {
  return v;
}

bool SameBytes(const AppSettings& a, const AppSettings& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
}  // namespace

TEST(Settings, FieldsLieAtTheirFileOffsets) {
  AppSettings s = Defaults();
  EXPECT_EQ(ReadAt<int32_t>(s, 4), 11);
  EXPECT_EQ(ReadAt<char16_t>(s, 8), u'C');
  EXPECT_EQ(ReadAt<uint8_t>(s, 138), 1);                  // wordWrap
  EXPECT_EQ(ReadAt<int32_t>(s, 141), kDefaultWindowPosition);
  EXPECT_EQ(ReadAt<int32_t>(s, 149), 920);
  EXPECT_EQ(ReadAt<int32_t>(s, 153), 660);
  EXPECT_EQ(ReadAt<uint8_t>(s, 688), 1);                  // findWrapAround
  EXPECT_EQ(ReadAt<int32_t>(s, 10944), 1500);             // bottom page margin
  EXPECT_EQ(ReadAt<int32_t>(s, 10952), 29700);
  EXPECT_EQ(ReadAt<uint32_t>(s, 10982), 4u);              // reserved, stored as 4
  EXPECT_EQ(ReadAt<uint32_t>(s, 31471), 3000u);
  EXPECT_EQ(ReadAt<uint32_t>(s, 31475), 10000u);
  EXPECT_EQ(ReadAt<uint32_t>(s, 31479), 1u);
  EXPECT_EQ(ReadAt<uint8_t>(s, 31484), 1);
  EXPECT_EQ(sizeof(AppSettings), 36685u);
}

// Whatever the record held before, what has no default of its own is zero.
TEST(Settings, ResetZeroesWhatHasNoDefault) {
  AppSettings s = Defaults();
  EXPECT_TRUE(s.lastFile.Empty());
  EXPECT_TRUE(s.recentFiles[0].Empty());
  const auto* bytes = reinterpret_cast<const unsigned char*>(&s);
  EXPECT_EQ(bytes[8 + 2 * 8], 0);  // after "Consolas"
  EXPECT_EQ(bytes[kSettingsRecordSize - 1], 0);
}

TEST(Settings, ChecksumIsFnv1a) {
  EXPECT_EQ(SettingsChecksum("", 0), 0x811C9DC5u);
  EXPECT_EQ(SettingsChecksum("a", 1), 0xE40C292Cu);
  EXPECT_EQ(SettingsChecksum("foobar", 6), 0xBF9CF968u);
}

TEST(Settings, RoundTripKeepsEveryByteIncludingReserved) {
  AppSettings s = Defaults();
  s.themeId = 4;
  s.fontSize = 14;
  s.lastFile.Set(u"C:\\docs\\\u0161.txt");
  s.reserved1[1] = 0x5A;
  s.reserved2 = 0xDEADBEEF;
  s.reserved4 = 7;
  s.reserved5 = 9;
  s.recentFiles[9].Set(u"D:\\last.md");
  std::vector<unsigned char> file = BuildSettingsFile(s);
  ASSERT_EQ(file.size(), kSettingsFileSize);
  EXPECT_EQ(std::memcmp(file.data(), "NORV", 4), 0);
  AppSettings loaded = Defaults();
  EXPECT_TRUE(ParseSettingsFile(file.data(), file.size(), loaded));
  EXPECT_TRUE(SameBytes(loaded, s));
}

TEST(Settings, HeaderFields) {
  std::vector<unsigned char> file = BuildSettingsFile(Defaults());
  uint32_t version, size, checksum;
  std::memcpy(&version, file.data() + 4, 4);
  std::memcpy(&size, file.data() + 8, 4);
  std::memcpy(&checksum, file.data() + 12, 4);
  EXPECT_EQ(version, 14u);
  EXPECT_EQ(size, 36685u);
  EXPECT_EQ(checksum, SettingsChecksum(file.data() + 16, 36685));
}

// Every way a file can be refused leads to exactly the defaults.
enum class Damage { Short, Empty, Magic, Version, Size, RecordByte, ChecksumByte };
class SettingsRejection : public testing::TestWithParam<Damage> {};

TEST_P(SettingsRejection, GivesTheDefaults) {
  AppSettings stored = Defaults();
  stored.themeId = 3;
  stored.regexBatchSize = 77;
  std::vector<unsigned char> file = BuildSettingsFile(stored);
  switch (GetParam()) {
    case Damage::Short: file.pop_back(); break;
    case Damage::Empty: file.clear(); break;
    case Damage::Magic: file[3] = 'X'; break;
    case Damage::Version: file[4] = 13; break;
    case Damage::Size: file[8] ^= 1; break;
    case Damage::RecordByte: file[16 + 20000] ^= 0x40; break;
    case Damage::ChecksumByte: file[15] ^= 0x01; break;
  }
  AppSettings loaded = stored;
  EXPECT_FALSE(ParseSettingsFile(file.data(), file.size(), loaded));
  EXPECT_TRUE(SameBytes(loaded, Defaults()));
}
INSTANTIATE_TEST_SUITE_P(Damages, SettingsRejection,
                         testing::Values(Damage::Short, Damage::Empty, Damage::Magic, Damage::Version, Damage::Size,
                                         Damage::RecordByte, Damage::ChecksumByte));

TEST(Settings, TrailingBytesAfterTheRecordAreIgnored) {
  AppSettings stored = Defaults();
  stored.transparency = 30;
  std::vector<unsigned char> file = BuildSettingsFile(stored);
  file.push_back(0x42);
  AppSettings loaded;
  EXPECT_TRUE(ParseSettingsFile(file.data(), file.size(), loaded));
  EXPECT_EQ(Val(loaded.transparency), 30);
}

TEST(Settings, FixedStringCutsTerminatesAndZeroes) {
  FixedString<5> f;
  std::memset(f.bytes, 0x7F, sizeof f.bytes);
  f.Set(u"abcdefgh");
  EXPECT_EQ(f.Get(), u"abcd");
  EXPECT_EQ(f.bytes[8], 0);
  EXPECT_EQ(f.bytes[9], 0);
  f.Set(u"\u0161");
  EXPECT_EQ(f.bytes[0], 0x61);  // little-endian units
  EXPECT_EQ(f.bytes[1], 0x01);
  EXPECT_EQ(f.bytes[2], 0);  // the rest is zeroed
  EXPECT_EQ(f.Get(), u"\u0161");
  std::memset(f.bytes, 'a', sizeof f.bytes);  // no terminator: the full width is the text
  EXPECT_EQ(f.Get().size(), 5u);
  AppSettings s;
  s.recentFiles[3].Set(u"C:\\odd offset.txt");  // this array lies at an odd offset
  EXPECT_EQ(s.recentFiles[3].Get(), u"C:\\odd offset.txt");
}

TEST(Settings, TempPdfName) {
  EXPECT_EQ(FormatTempPdfPath(u"C:\\Users\\u\\AppData\\Roaming\\Norvo", {2026, 3, 5, 14, 7, 9, 42}),
            u"C:\\Users\\u\\AppData\\Roaming\\Norvo\\temp_20260305_140709_042.pdf");
  EXPECT_EQ(FormatTempPdfPath(u"", {2026, 3, 5, 14, 7, 9, 42}), u"");
  EXPECT_EQ(FormatTempPdfPath(std::u16string(250, u'x'), {2026, 3, 5, 14, 7, 9, 42}), u"");
}

struct StoredValueCase {
  int32_t stored;
  int transparency;
  uint32_t periodMs;
};
class StoredValues : public testing::TestWithParam<StoredValueCase> {};

// Values from a damaged or hand-edited file are made safe where they are used.
TEST_P(StoredValues, AreUsedWithinTheirLimits) {
  EXPECT_EQ(UsableTransparency(GetParam().stored), GetParam().transparency);
  EXPECT_EQ(AutoSavePeriodMs(GetParam().stored), GetParam().periodMs);
}
INSTANTIATE_TEST_SUITE_P(Grid, StoredValues,
                         testing::Values(StoredValueCase{0, 0, 0}, StoredValueCase{15, 15, 900000},
                                         StoredValueCase{50, 50, 3000000}, StoredValueCase{51, 0, 3060000},
                                         StoredValueCase{100, 0, 6000000}, StoredValueCase{-5, 0, 0},
                                         StoredValueCase{1440, 0, 86400000},
                                         StoredValueCase{1441, 0, 86400000},
                                         StoredValueCase{INT32_MAX, 0, 86400000},
                                         StoredValueCase{INT32_MIN, 0, 0}));
