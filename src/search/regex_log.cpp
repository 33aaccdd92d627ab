#include "search/regex_log.h"

#include <charconv>
#include <cstdio>

#include "common/utf.h"

namespace {
const char kRule[] = "========================================";  // 40 equals signs
const char kDash[] = "\xE2\x80\x94";                           // U+2014 EM DASH

std::string Clock(const LocalTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}
std::string Number(long long n) { return std::to_string(n); }
}  // namespace

std::u16string RegexLogFileName(const LocalTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "regex_%04d%02d%02d_%02d%02d%02d_%d.txt", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.milliseconds);
  return Utf8ToUtf16(buf);
}

std::string RegexRunHeader(std::u16string_view pattern, bool matchCase, bool wholeWord, const LocalTime& time) {
  return std::string("Regex Session Log\n") + "Pattern:    " + Utf16ToUtf8(pattern) + "\n" +
         "Match case: " + (matchCase ? "Yes" : "No") + "  |  Whole word: " + (wholeWord ? "Yes" : "No") +
         "  |  Started: " + Clock(time) + "\n" + kRule + "\n\n";
}

std::string RegexEntryHeader(std::u16string_view pattern) {
  return std::string("Regex Session Log\n") + "Pattern: " + Utf16ToUtf8(pattern) + "\n" + kRule + "\n\n";
}

std::string RegexBatchLines(const std::vector<RegexMatch>& batch, uint64_t batchNumber, uint32_t outputFormat) {
  // Built in one buffer: a batch can hold millions of lines.
  std::string out;
  out.reserve(batch.size() * (outputFormat != 0 ? 40 : 12));
  char number[24];
  auto appendNumber = [&](long long n) {
    auto result = std::to_chars(number, number + sizeof number, n);
    out.append(number, result.ptr);
  };
  for (const RegexMatch& m : batch) {
    if (outputFormat != 0) {
      out += '[';
      appendNumber(static_cast<long long>(batchNumber));
      out += "] Ln ";
      appendNumber(m.line);
      out += "  Pos ";
      appendNumber(m.start);
      out += '-';
      appendNumber(m.end);
      out += ": ";
    }
    AppendUtf8(out, m.text);
    out += '\n';
  }
  return out;
}

std::string RegexClosingLines(const LocalTime& time, uint64_t total) {
  return "\n[FIND ALL] " + Clock(time) + " " + kDash + " Search complete\n" + "\n" + kRule + "\n" +
         "Total matches found: " + Number(static_cast<long long>(total)) + "\n";
}

std::string RegexFindEntry(bool previous, const LocalTime& time, int64_t line, int64_t bytePosition,
                           std::u16string_view matched) {
  return std::string(previous ? "[FIND PREV] " : "[FIND] ") + Clock(time) + " " + kDash + " Ln " + Number(line) +
         ", Col " + Number(bytePosition) + "\n  " + Utf16ToUtf8(matched) + "\n\n";
}

std::string RegexReplaceEntry(const LocalTime& time, std::u16string_view before, std::u16string_view after) {
  return "[REPLACE] " + Clock(time) + " " + kDash + " Replaced 1 match\n" + "  Before: " + Utf16ToUtf8(before) +
         "\n" + "  After:  " + Utf16ToUtf8(after) + "\n\n";
}

std::string RegexReplaceAllEntry(const LocalTime& time, int64_t count, std::u16string_view pattern,
                                 std::u16string_view replacement) {
  return "[REPLACE ALL] " + Clock(time) + " " + kDash + " Replaced " + Number(count) + " match(es)\n" +
         "  Pattern: " + Utf16ToUtf8(pattern) + "  ->  " + Utf16ToUtf8(replacement) + "\n\n";
}

namespace {
bool IsExpired(std::u16string_view name, std::u16string_view prefix, std::u16string_view suffix,
               int64_t lastWriteSeconds, int64_t nowSeconds) {
  if (name.size() < prefix.size() + suffix.size()) return false;
  if (name.substr(0, prefix.size()) != prefix || name.substr(name.size() - suffix.size()) != suffix) return false;
  return lastWriteSeconds < nowSeconds - 604800;
}
}  // namespace

bool IsExpiredRegexLog(std::u16string_view name, int64_t lastWriteSeconds, int64_t nowSeconds) {
  return IsExpired(name, u"regex_", u".txt", lastWriteSeconds, nowSeconds);
}

bool IsExpiredTempCopy(std::u16string_view name, int64_t lastWriteSeconds, int64_t nowSeconds) {
  return IsExpired(name, u"temp_", u".txt", lastWriteSeconds, nowSeconds) ||
         IsExpired(name, u"temp_", u".html", lastWriteSeconds, nowSeconds);
}
