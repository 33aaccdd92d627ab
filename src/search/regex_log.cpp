#include "search/regex_log.h"

#include <algorithm>
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


RegexListLines::RegexListLines(std::u16string_view text, uint32_t outputFormat, bool includeLineNumbers,
                               size_t maxCharacters)
    : text_(text), format_(outputFormat), lineNumbers_(includeLineNumbers), max_(maxCharacters) {}

// From after the last line feed before the match start to the first line feed or carriage
// return at or after it. A later start up to that end lies on the same line; further on, only
// the text after the end needs to be looked at for a line feed.
std::u16string_view RegexListLines::FullLine(const RegexMatch& match) {
  const size_t start = static_cast<size_t>(match.start);
  if (text_.empty() || start > text_.size()) return {};
  if (!known_ || start < prevStart_) {
    size_t feed = start == 0 ? std::u16string_view::npos : text_.rfind(u'\n', start - 1);
    from_ = feed == std::u16string_view::npos ? 0 : feed + 1;
    to_ = std::min(text_.find_first_of(u"\r\n", start), text_.size());
    known_ = true;
  } else if (start > to_) {
    size_t i = start;
    while (i > to_ && text_[i - 1] != u'\n') --i;
    if (i > to_) from_ = i;  // else no line feed after the old line's end: it still starts at from_
    to_ = std::min(text_.find_first_of(u"\r\n", start), text_.size());
  }
  prevStart_ = start;
  return text_.substr(from_, to_ - from_);
}

namespace {
void AppendNumber(std::u16string& out, long long n) {
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}
}  // namespace

// Copies no more of a long text than the cut keeps (a minified file's one line may be
// megabytes long, and many matches may share it).
void RegexListLines::AppendCut(std::u16string_view piece) {
  if (line_.size() > max_) return;
  line_.append(piece.substr(0, max_ + 1 - line_.size()));
}

const std::u16string& RegexListLines::Line(const RegexMatch& match) {
  std::u16string_view matched = MatchedText(text_, match);
  line_.clear();
  switch (format_) {
    case 1:
      if (lineNumbers_) {
        line_ += u"Ln ";
        AppendNumber(line_, match.line);
        line_ += u"  Col ";
        AppendNumber(line_, match.start);
        line_ += u"  ";
      } else {
        line_ += u'[';
        AppendNumber(line_, match.start);
        line_ += u'-';
        AppendNumber(line_, match.end);
        line_ += u"]  ";
      }
      AppendCut(matched);
      break;
    case 2: {
      if (lineNumbers_) {
        line_ += u"Ln ";
        AppendNumber(line_, match.line);
        line_ += u"  ";
      }
      std::u16string_view full = FullLine(match);
      AppendCut(full.empty() ? matched : full);
      break;
    }
    default: AppendCut(matched); break;
  }
  if (line_.size() > max_) {
    line_.resize(max_);
    line_ += u'\u2026';
  }
  return line_;
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
  // Older than seven days, counted without overflow for any two times (a file's time may be anything).
  return lastWriteSeconds < nowSeconds &&
         static_cast<uint64_t>(nowSeconds) - static_cast<uint64_t>(lastWriteSeconds) > 604800u;
}
}  // namespace

bool IsExpiredRegexLog(std::u16string_view name, int64_t lastWriteSeconds, int64_t nowSeconds) {
  return IsExpired(name, u"regex_", u".txt", lastWriteSeconds, nowSeconds);
}

bool IsExpiredTempCopy(std::u16string_view name, int64_t lastWriteSeconds, int64_t nowSeconds) {
  return IsExpired(name, u"temp_", u".txt", lastWriteSeconds, nowSeconds) ||
         IsExpired(name, u"temp_", u".html", lastWriteSeconds, nowSeconds);
}
