// The Regex Session Log: file names, the exact line formats, and the retention rule.
// Texts are UTF-8 (what is written to the file).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/regex.h"
#include "settings/settings.h"

// "regex_YYYYMMDD_HHMMSS_<ms>.txt" (milliseconds without leading zeros).
std::u16string RegexLogFileName(const LocalTime& time);

std::string RegexRunHeader(std::u16string_view pattern, bool matchCase, bool wholeWord, const LocalTime& time);
std::string RegexEntryHeader(std::u16string_view pattern);
std::string RegexClosingLines(const LocalTime& time, uint64_t total);

// The lines of the dialog's results list, by output format (0 only matches, 1 with line numbers,
// 2 full lines) and whether line numbers are included, for matches of `text` taken in text
// order: the line around the previous match is remembered for the next one. A line longer than
// `maxCharacters` is cut there and ends with an ellipsis.
class RegexListLines {
 public:
  RegexListLines(std::u16string_view text, uint32_t outputFormat, bool includeLineNumbers, size_t maxCharacters);
  // The listed line of `match`, null-terminated; valid until the next call.
  const std::u16string& Line(const RegexMatch& match);

 private:
  std::u16string_view FullLine(const RegexMatch& match);
  void AppendCut(std::u16string_view piece);
  std::u16string_view text_;
  uint32_t format_;
  bool lineNumbers_;
  size_t max_;
  std::u16string line_;
  // The line found for the previous match: [from_, to_) around prevStart_.
  size_t prevStart_ = 0, from_ = 0, to_ = 0;
  bool known_ = false;
};

// Single operations: Find / Find Prev, Replace, Replace All.
std::string RegexFindEntry(bool previous, const LocalTime& time, int64_t line, int64_t bytePosition,
                           std::u16string_view matched);
std::string RegexReplaceEntry(const LocalTime& time, std::u16string_view before, std::u16string_view after);
std::string RegexReplaceAllEntry(const LocalTime& time, int64_t count, std::u16string_view pattern,
                                 std::u16string_view replacement);

// Whether a file of the log folder is an old session log: "regex_" ... ".txt" (case-sensitive)
// written more than seven days (604,800 s) before `now`. Times in seconds.
bool IsExpiredRegexLog(std::u16string_view fileName, int64_t lastWriteSeconds, int64_t nowSeconds);

// The same rule for the temporary copies made for viewers ("temp_" ... ".txt") and the
// Markdown previews ("temp_" ... ".html").
bool IsExpiredTempCopy(std::u16string_view fileName, int64_t lastWriteSeconds, int64_t nowSeconds);
