// The persistent settings record and its file image. The layout is the file format:
// packed, little-endian, text as zero-terminated UTF-16 arrays.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr uint32_t kSettingsVersion = 14;
constexpr uint32_t kSettingsRecordSize = 36685;
constexpr size_t kSettingsHeaderSize = 16;
constexpr size_t kSettingsFileSize = kSettingsHeaderSize + kSettingsRecordSize;
constexpr int32_t kDefaultWindowPosition = static_cast<int32_t>(0x80000000u);
constexpr int kRecentFileCount = 10;
constexpr int kHistoryCount = 10;

// A zero-terminated UTF-16 text of at most N - 1 units stored as little-endian bytes, so
// that it can sit at any offset of the packed record (several lie at odd offsets).
template <size_t N>
struct FixedString {
  static constexpr size_t capacity = N;
  unsigned char bytes[2 * N];

  std::u16string Get() const {
    std::u16string text;
    for (size_t i = 0; i < N; ++i) {
      char16_t c = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
      if (c == 0) break;
      text.push_back(c);
    }
    return text;
  }
  // Cuts the text to N - 1 units and zeroes the rest of the array.
  void Set(std::u16string_view text) {
    size_t n = text.size() < N - 1 ? text.size() : N - 1;
    for (size_t i = 0; i < N; ++i) {
      char16_t c = i < n ? text[i] : 0;
      bytes[2 * i] = static_cast<unsigned char>(c & 0xFF);
      bytes[2 * i + 1] = static_cast<unsigned char>(c >> 8);
    }
  }
  bool Empty() const { return bytes[0] == 0 && bytes[1] == 0; }
};

#pragma pack(push, 1)
struct AppSettings {
  uint32_t themeId;
  int32_t fontSize;
  FixedString<64> fontName;
  uint8_t fontBold;
  uint8_t fontItalic;
  uint8_t wordWrap;
  uint8_t showLineNumbers;
  uint8_t firstRun;
  int32_t windowX;
  int32_t windowY;
  int32_t windowWidth;
  int32_t windowHeight;
  uint8_t windowMaximized;
  FixedString<260> lastFile;
  int32_t transparency;
  int32_t autoSaveMinutes;
  uint8_t findMatchCase;
  uint8_t findWholeWord;
  uint8_t findWrapAround;
  uint8_t findPreserveCase;
  uint8_t findInSelection;
  uint8_t findColorResults;
  FixedString<256> findHistory[kHistoryCount];
  FixedString<256> replaceHistory[kHistoryCount];
  int32_t pageMargins[4];  // left, top, right, bottom in 1/100 mm
  int32_t paperWidth;
  int32_t paperHeight;
  int32_t previewWidth;
  int32_t previewHeight;
  int32_t helpWidth;
  int32_t helpHeight;
  uint32_t helpTopic;
  uint8_t reserved1[2];
  uint32_t reserved2;
  uint32_t reserved3;
  uint8_t reserved4;
  FixedString<512> regexPatternHistory[kHistoryCount];
  FixedString<512> regexReplaceHistory[kHistoryCount];
  uint8_t regexMatchCase;
  uint8_t regexWholeWord;
  uint8_t regexPreserveCase;
  uint8_t regexIncludeLineNumbers;
  uint32_t regexBatchSize;
  uint32_t regexMaxMatches;
  uint32_t regexOutputFormat;
  uint8_t regexColorResults;
  uint8_t reserved5;
  FixedString<260> recentFiles[kRecentFileCount];
};

struct SettingsFileHeader {
  char magic[4];  // "NORV"
  uint32_t version;
  uint32_t recordSize;
  uint32_t checksum;
};
#pragma pack(pop)

static_assert(sizeof(AppSettings) == kSettingsRecordSize);
static_assert(sizeof(SettingsFileHeader) == kSettingsHeaderSize);

// 32-bit FNV-1a.
uint32_t SettingsChecksum(const void* data, size_t size);

// Fills the record with the defaults.
void ResetSettings(AppSettings& settings);

// Accepts a configuration file image into `settings` when magic, version, size and checksum
// all match; otherwise fills the defaults. Returns whether the stored record was accepted.
bool ParseSettingsFile(const unsigned char* data, size_t size, AppSettings& settings);

// Header followed by the record, ready to be written.
std::vector<unsigned char> BuildSettingsFile(const AppSettings& settings);

// Stored values as they are used: a damaged or hand-edited file can neither make the window
// invisible nor overflow the auto-save timer.
constexpr int kMaxTransparency = 50;
constexpr uint32_t kMaxAutoSaveMinutes = 1440;
// The transparency in percent: 0..50 as stored, anything else 0 (opaque).
int UsableTransparency(int32_t stored);
// The auto-save period in milliseconds, 0 for none; more than a day counts as a day.
uint32_t AutoSavePeriodMs(int32_t minutes);

struct LocalTime {
  int year, month, day, hour, minute, second, milliseconds;
};
// "<folder>\temp_YYYYMMDD_HHMMSS_mmm.pdf"; empty when the folder is empty or the name
// would not fit in 259 characters.
std::u16string FormatTempPdfPath(std::u16string_view folder, const LocalTime& time);
