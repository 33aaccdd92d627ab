#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

uint32_t SettingsChecksum(const void* data, size_t size) {
  uint32_t hash = 0x811C9DC5u;
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 16777619u;
  }
  return hash;
}

void ResetSettings(AppSettings& s) {
  // Everything from the font name on starts as zero, then the non-zero defaults are set.
  std::memset(reinterpret_cast<unsigned char*>(&s) + 8, 0, sizeof(AppSettings) - 8);
  s.themeId = 0;
  s.fontSize = 11;
  s.fontName.Set(u"Consolas");
  s.wordWrap = 1;
  s.showLineNumbers = 1;
  s.firstRun = 1;
  s.windowX = kDefaultWindowPosition;
  s.windowY = kDefaultWindowPosition;
  s.windowWidth = 920;
  s.windowHeight = 660;
  s.findWrapAround = 1;
  s.findColorResults = 1;
  for (int i = 0; i < 4; ++i) s.pageMargins[i] = 1500;  // no references into the packed record
  s.paperWidth = 21000;
  s.paperHeight = 29700;
  s.reserved3 = 4;
  s.regexIncludeLineNumbers = 1;
  s.regexBatchSize = 3000;
  s.regexMaxMatches = 10000;
  s.regexOutputFormat = 1;
  s.regexColorResults = 1;
  s.reserved5 = 1;
}

bool ParseSettingsFile(const unsigned char* data, size_t size, AppSettings& settings) {
  if (size >= kSettingsFileSize) {
    SettingsFileHeader header;
    std::memcpy(&header, data, sizeof header);
    if (std::memcmp(header.magic, "NORV", 4) == 0 && header.version == kSettingsVersion &&
        header.recordSize == kSettingsRecordSize &&
        header.checksum == SettingsChecksum(data + kSettingsHeaderSize, kSettingsRecordSize)) {
      std::memcpy(&settings, data + kSettingsHeaderSize, kSettingsRecordSize);
      return true;
    }
  }
  ResetSettings(settings);
  return false;
}

std::vector<unsigned char> BuildSettingsFile(const AppSettings& settings) {
  SettingsFileHeader header;
  std::memcpy(header.magic, "NORV", 4);
  header.version = kSettingsVersion;
  header.recordSize = kSettingsRecordSize;
  header.checksum = SettingsChecksum(&settings, kSettingsRecordSize);
  std::vector<unsigned char> file(kSettingsFileSize);
  std::memcpy(file.data(), &header, sizeof header);
  std::memcpy(file.data() + kSettingsHeaderSize, &settings, kSettingsRecordSize);
  return file;
}

std::u16string FormatTempPdfPath(std::u16string_view folder, const LocalTime& t) {
  if (folder.empty()) return {};
  char name[64];
  std::snprintf(name, sizeof name, "\\temp_%04d%02d%02d_%02d%02d%02d_%03d.pdf", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.milliseconds);
  std::u16string path(folder);
  for (const char* p = name; *p; ++p) path.push_back(static_cast<char16_t>(*p));
  if (path.size() > 259) return {};
  return path;
}

// The record is the file format: every field's offset is fixed.
#define NORVO_AT(field, offset) static_assert(offsetof(AppSettings, field) == (offset), #field)
NORVO_AT(themeId, 0);
NORVO_AT(fontSize, 4);
NORVO_AT(fontName, 8);
NORVO_AT(fontBold, 136);
NORVO_AT(fontItalic, 137);
NORVO_AT(wordWrap, 138);
NORVO_AT(showLineNumbers, 139);
NORVO_AT(firstRun, 140);
NORVO_AT(windowX, 141);
NORVO_AT(windowY, 145);
NORVO_AT(windowWidth, 149);
NORVO_AT(windowHeight, 153);
NORVO_AT(windowMaximized, 157);
NORVO_AT(lastFile, 158);
NORVO_AT(transparency, 678);
NORVO_AT(autoSaveMinutes, 682);
NORVO_AT(findMatchCase, 686);
NORVO_AT(findColorResults, 691);
NORVO_AT(findHistory, 692);
NORVO_AT(replaceHistory, 5812);
NORVO_AT(pageMargins, 10932);
NORVO_AT(paperWidth, 10948);
NORVO_AT(paperHeight, 10952);
NORVO_AT(previewWidth, 10956);
NORVO_AT(previewHeight, 10960);
NORVO_AT(helpWidth, 10964);
NORVO_AT(helpHeight, 10968);
NORVO_AT(helpTopic, 10972);
NORVO_AT(reserved1, 10976);
NORVO_AT(reserved2, 10978);
NORVO_AT(reserved3, 10982);
NORVO_AT(reserved4, 10986);
NORVO_AT(regexPatternHistory, 10987);
NORVO_AT(regexReplaceHistory, 21227);
NORVO_AT(regexMatchCase, 31467);
NORVO_AT(regexWholeWord, 31468);
NORVO_AT(regexPreserveCase, 31469);
NORVO_AT(regexIncludeLineNumbers, 31470);
NORVO_AT(regexBatchSize, 31471);
NORVO_AT(regexMaxMatches, 31475);
NORVO_AT(regexOutputFormat, 31479);
NORVO_AT(regexColorResults, 31483);
NORVO_AT(reserved5, 31484);
NORVO_AT(recentFiles, 31485);
#undef NORVO_AT

int UsableTransparency(int32_t stored) { return stored >= 0 && stored <= kMaxTransparency ? stored : 0; }

uint32_t AutoSavePeriodMs(int32_t minutes) {
  if (minutes <= 0) return 0;
  return std::min(static_cast<uint32_t>(minutes), kMaxAutoSaveMinutes) * 60000u;
}
