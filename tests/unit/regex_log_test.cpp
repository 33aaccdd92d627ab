#include "search/regex_log.h"

#include <gtest/gtest.h>

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
  std::vector<RegexMatch> batch = {{3, 6, u"cat", 1}, {10, 13, u"car", 2}};
  EXPECT_EQ(RegexBatchLines(batch, 2, 0), "cat\ncar\n");
  EXPECT_EQ(RegexBatchLines(batch, 2, 1), "[2] Ln 1  Pos 3-6: cat\n[2] Ln 2  Pos 10-13: car\n");
  EXPECT_EQ(RegexBatchLines(batch, 2, 2), RegexBatchLines(batch, 2, 1));
  EXPECT_EQ(RegexBatchLines({}, 1, 1), "");
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
