#include "search/regex_log.h"

#include "regex_lines.h"
#include "search/regex_batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "common/utf.h"

namespace {
const LocalTime kTime{2024, 3, 25, 9, 5, 7, 42};
}

TEST(RegexLog, FileName) {
  EXPECT_EQ(RegexLogFileName(kTime), u"regex_20240325_090507_42.txt");
  EXPECT_EQ(RegexLogFileName({2024, 1, 1, 0, 0, 0, 5}), u"regex_20240101_000000_5.txt");
  EXPECT_EQ(RegexLogFileName({2024, 1, 1, 0, 0, 0, 0}), u"regex_20240101_000000_0.txt");
}

TEST(RegexLog, Headers) {
  EXPECT_EQ(RegexRunHeader(u"a+b", true, false, kTime),
            "Regex Session Log\nPattern:    a+b\nMatch case: Yes  |  Whole word: No  |  Started: 09:05:07\n"
            "========================================\n\n");
  EXPECT_EQ(RegexEntryHeader(u"\u0161"), "Regex Session Log\nPattern: \xC5\xA1\n========================================\n\n");
}

TEST(RegexLog, BatchLinesInEachFormat) {
  const std::u16string text = u"my cat\nthe car";
  std::vector<RegexMatch> batch = {{3, 6, 1}, {11, 14, 2}};
  EXPECT_EQ(RegexBatchLines(text, batch, 2, 0), "cat\ncar\n");
  EXPECT_EQ(RegexBatchLines(text, batch, 2, 1), "[2] Ln 1  Pos 3-6: cat\n[2] Ln 2  Pos 11-14: car\n");
  EXPECT_EQ(RegexBatchLines(text, batch, 2, 2), RegexBatchLines(text, batch, 2, 1));
  EXPECT_EQ(RegexBatchLines(text, {}, 1, 1), "");
}

TEST(RegexLog, BatchLinesConvertTheMatchedTextLikeTheRestOfTheLog) {
  const std::u16string high(1, char16_t(0xD83D));
  const std::u16string text = u"\u0161x \U0001F600 " + high + u" \u20ac";
  std::vector<RegexMatch> batch = {{0, 2, 1}, {3, 5, 1}, {6, 7, 1}, {8, 9, 1}, {4, 4, 1}};
  std::string expected;
  for (const RegexMatch& m : batch) expected += Utf16ToUtf8(MatchedText(text, m)) + "\n";
  EXPECT_EQ(RegexBatchLines(text, batch, 1, 0), expected);
  EXPECT_EQ(RegexBatchLines(text, batch, 1, 0), "\xC5\xA1x\n\xF0\x9F\x98\x80\n\xEF\xBF\xBD\n\xE2\x82\xAC\n\n");
}

TEST(RegexLog, BatchLinesAreWrittenInPiecesFromOneBuffer) {
  std::u16string text;
  std::vector<RegexMatch> batch;
  for (int i = 0; i < 5000; ++i) {
    const int32_t start = static_cast<int32_t>(text.size());
    text += i % 7 == 0 ? u"\u00e9t\u00e9" : i % 3 == 0 ? u"word" : u"x";
    batch.push_back({start, static_cast<int32_t>(text.size()), i / 10 + 1});
    text += i % 10 == 9 ? u"\n" : u" ";
  }
  batch.push_back({static_cast<int32_t>(text.size()), static_cast<int32_t>(text.size()), 501});  // empty, at the end
  text += std::u16string(3000, u'L');  // a line far longer than a piece
  batch.push_back({static_cast<int32_t>(text.size()) - 3000, static_cast<int32_t>(text.size()), 501});
  for (uint32_t format : {0u, 1u}) {
    const std::string whole = RegexBatchLines(text, batch, 12345, format);
    std::string joined;
    size_t pieces = 0;
    {
      RegexLogLines lines(
          [&](std::string_view piece) {
            ++pieces;
            ASSERT_EQ(piece.back(), '\n');  // pieces end with whole lines
            // Only the line that filled a piece goes beyond its size.
            const size_t lastLine = piece.substr(0, piece.size() - 1).rfind('\n');
            EXPECT_LT(lastLine == std::string_view::npos ? 0 : lastLine + 1, 1024u);
            joined += piece;
          },
          1024);
      for (const RegexMatch& m : batch) lines.Add(text, m, 12345, format);
      lines.Flush();
      lines.Flush();  // nothing more to hand over
    }
    EXPECT_EQ(joined, whole);
    EXPECT_GT(pieces, 10u);
  }
  EXPECT_EQ(RegexBatchLines(text, {batch[0]}, 12345, 1), "[12345] Ln 1  Pos 0-3: \xC3\xA9t\xC3\xA9\n");
}

// Line numbers and positions of every length of digits, written as the standard library writes
// them (the matched text is empty: the positions lie beyond the text).
TEST(RegexLog, NumbersOfEveryLength) {
  std::vector<uint32_t> values = {0, 5, 2147483647};
  for (uint32_t power = 10; power <= 1000000000; power *= 10) {
    values.insert(values.end(), {power - 1, power, power + 7, power / 10 * 3 + 1});
    if (power == 1000000000) break;
  }
  std::vector<RegexMatch> batch;
  std::string expected;
  for (uint32_t v : values) {
    const int32_t position = static_cast<int32_t>(std::min<uint32_t>(v, 2147483647));
    batch.push_back({position, position, static_cast<int32_t>(v / 3 + 1)});
    expected += "[3] Ln " + std::to_string(v / 3 + 1) + "  Pos " + std::to_string(position) + "-" +
                std::to_string(position) + ": \n";
  }
  EXPECT_EQ(RegexBatchLines(u"short", batch, 3, 1), expected);
}

namespace {
// The full line of a match counted from scratch: from after the last line feed before the
// start to the first line feed or carriage return at or after it.
std::u16string FullLineFromScratch(std::u16string_view text, const RegexMatch& m) {
  size_t start = static_cast<size_t>(m.start);
  size_t from = start == 0 ? std::u16string_view::npos : text.rfind(u'\n', start - 1);
  from = from == std::u16string_view::npos ? 0 : from + 1;
  size_t to = std::min(text.find_first_of(u"\r\n", start), text.size());
  std::u16string line(text.substr(from, to - from));
  return line.empty() ? std::u16string(MatchedText(text, m)) : line;
}
}  // namespace

TEST(RegexLog, ListedLinesInEachFormat) {
  const std::u16string text = u"first line\nsecond\nthe abc line\n";
  const RegexMatch m{22, 25, 3};
  EXPECT_EQ(RegexListLines(text, 0, true, 1000).Line(m), u"abc");
  EXPECT_EQ(RegexListLines(text, 0, false, 1000).Line(m), u"abc");
  EXPECT_EQ(RegexListLines(text, 1, false, 1000).Line(m), u"[22-25]  abc");
  EXPECT_EQ(RegexListLines(text, 1, true, 1000).Line(m), u"Ln 3  Col 22  abc");
  EXPECT_EQ(RegexListLines(text, 2, false, 1000).Line(m), u"the abc line");
  EXPECT_EQ(RegexListLines(text, 2, true, 1000).Line(m), u"Ln 3  the abc line");
  // A match on an empty line lists its own text.
  EXPECT_EQ(RegexListLines(u"a\n\nb", 2, false, 1000).Line({2, 3, 3}), u"\n");
  EXPECT_EQ(RegexListLines(u"a\r\nb", 2, true, 1000).Line({1, 2, 1}), u"Ln 1  a");
}

TEST(RegexLog, ListedFullLinesFollowTheMatchesAlongTheText) {
  std::u16string text;
  for (int i = 0; i < 400; ++i) {
    text += i % 5 == 0 ? u"" : i % 4 == 0 ? u"ab ab ab" : u"x ab";
    text += i % 9 == 0 ? u"\r\n" : i % 13 == 0 ? u"\r" : u"\n";
  }
  for (const char16_t* pattern : {u"ab", u"\\r|\\n", u"^|ab", u"x*"}) {
    const auto matches = FindAllRegexMatches(text, pattern, true, false);
    ASSERT_GT(matches.size(), 100u);
    RegexListLines lines(text, 2, false, 1000);
    for (const RegexMatch& m : matches) ASSERT_EQ(lines.Line(m), FullLineFromScratch(text, m)) << m.start;
    // Out of order (a new batch of an earlier search) the line is found afresh.
    EXPECT_EQ(lines.Line(matches[3]), FullLineFromScratch(text, matches[3]));
    EXPECT_EQ(lines.Line(matches[matches.size() / 2]), FullLineFromScratch(text, matches[matches.size() / 2]));
  }
}

TEST(RegexLog, ClosingAndSingleEntriesUseTheEmDash) {
  EXPECT_EQ(RegexClosingLines(kTime, 7),
            "\n[FIND ALL] 09:05:07 \xE2\x80\x94 Search complete\n\n========================================\n"
            "Total matches found: 7\n");
  EXPECT_EQ(RegexFindEntry(false, kTime, 3, 120, u"hit"), "[FIND] 09:05:07 \xE2\x80\x94 Ln 3, Col 120\n  hit\n\n");
  EXPECT_EQ(RegexFindEntry(true, kTime, 1, 0, u"x"), "[FIND PREV] 09:05:07 \xE2\x80\x94 Ln 1, Col 0\n  x\n\n");
  EXPECT_EQ(RegexReplaceEntry(kTime, u"old", u"new"),
            "[REPLACE] 09:05:07 \xE2\x80\x94 Replaced 1 match\n  Before: old\n  After:  new\n\n");
  EXPECT_EQ(RegexReplaceAllEntry(kTime, 4, u"(\\w+)", u"<$1>"),
            "[REPLACE ALL] 09:05:07 \xE2\x80\x94 Replaced 4 match(es)\n  Pattern: (\\w+)  ->  <$1>\n\n");
}

TEST(RegexLog, PurgeRule) {
  const int64_t now = 1'000'000'000, day = 86400;
  EXPECT_TRUE(IsExpiredRegexLog(u"regex_20240101_000000_5.txt", now - 8 * day, now));
  EXPECT_FALSE(IsExpiredRegexLog(u"regex_20240101_000000_5.txt", now - 6 * day, now));
  EXPECT_FALSE(IsExpiredRegexLog(u"Regex_x.txt", now - 30 * day, now));  // case-sensitive
  EXPECT_FALSE(IsExpiredRegexLog(u"regex_a.log", now - 30 * day, now));
  EXPECT_FALSE(IsExpiredRegexLog(u"regex_a.TXT", now - 30 * day, now));
  EXPECT_TRUE(IsExpiredRegexLog(u"regex_.txt", now - 30 * day, now));
  EXPECT_FALSE(IsExpiredRegexLog(u"regex", now - 30 * day, now));
  EXPECT_FALSE(IsExpiredRegexLog(u"regex_20240101.txt", now - 7 * day, now));  // exactly seven days: kept

  // Viewer copies and Markdown previews follow the same rule; PDFs and other names do not.
  EXPECT_TRUE(IsExpiredTempCopy(u"temp_20240101_000000_000.txt", now - 8 * day, now));
  EXPECT_TRUE(IsExpiredTempCopy(u"temp_20240101_000000_000.html", now - 8 * day, now));
  EXPECT_FALSE(IsExpiredTempCopy(u"temp_20240101_000000_000.html", now - 6 * day, now));
  EXPECT_FALSE(IsExpiredTempCopy(u"temp_20240101_000000_000.pdf", now - 30 * day, now));
  EXPECT_FALSE(IsExpiredTempCopy(u"notes.txt", now - 30 * day, now));
  EXPECT_FALSE(IsExpiredTempCopy(u"temp.html", now - 30 * day, now));
  EXPECT_FALSE(IsExpiredRegexLog(u"temp_1.txt", now - 30 * day, now));
}

// A listed line is cut at the limit whatever its parts: the prefix, the match or its full line.
TEST(RegexLog, ListedLinesAreCutAtEveryLimit) {
  const std::u16string text = u"first\nsecond line with words\nthird";
  const RegexMatch m{13, 17, 2};  // "line"
  for (uint32_t format : {0u, 1u, 2u}) {
    for (bool numbers : {false, true}) {
      const std::u16string whole = RegexListLines(text, format, numbers, 1000).Line(m);
      for (size_t max = 0; max <= whole.size() + 1; ++max) {
        const std::u16string expected = whole.size() > max ? whole.substr(0, max) + u"\u2026" : whole;
        EXPECT_EQ(RegexListLines(text, format, numbers, max).Line(m), expected) << format << numbers << max;
      }
    }
  }
}

// Found by fuzzing (tests/fuzz/regressions/regex_log): "now - seven days" overflowed for a time
// near the smallest number, which UndefinedBehaviorSanitizer stops on.
TEST(RegexLogRetention, AnyTimesWithoutOverflow) {
  const int64_t least = INT64_MIN, most = INT64_MAX;
  EXPECT_FALSE(IsExpiredRegexLog(u"regex_x.txt", least, least));
  EXPECT_FALSE(IsExpiredRegexLog(u"regex_x.txt", least, least + 604800));
  EXPECT_TRUE(IsExpiredRegexLog(u"regex_x.txt", least, least + 604801));
  EXPECT_TRUE(IsExpiredRegexLog(u"regex_x.txt", least, most));
  EXPECT_FALSE(IsExpiredRegexLog(u"regex_x.txt", most, least));
  EXPECT_TRUE(IsExpiredTempCopy(u"temp_x.html", most - 604801, most));
  EXPECT_FALSE(IsExpiredTempCopy(u"temp_x.html", most - 604800, most));
}
