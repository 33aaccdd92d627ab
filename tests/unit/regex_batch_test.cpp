#include "regex_lines.h"
#include "search/regex_batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "common/utf.h"

namespace {

// Text with what positions get wrong: CR LF and lone line feeds, two- and three-byte letters,
// surrogate pairs and lone halves of them.
std::u16string RandomText(size_t units, unsigned seed) {
  static const std::u16string kPieces[] = {u"a",      u"word",       u" ",      u"\r\n",   u"\n",  u"\u0161",
                                           u"\u20AC", u"\U0001F600", u"\xD800", u"\xDC00", u"ab1", u"\r"};
  std::mt19937 random(seed);
  std::u16string text;
  while (text.size() < units) text += kPieces[random() % std::size(kPieces)];
  return text;
}

int64_t BytesBefore(std::u16string_view text, size_t index) {
  return Utf16ToUtf8(text.substr(0, index)).size();
}
int64_t LineOf(std::u16string_view text, size_t index) {
  return 1 + std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(index), u'\n');
}

TEST(TextCursor, CountsLikeTheUtf8FormOfEveryPrefix) {
  const std::u16string text = RandomText(3000, 1);
  TextCursor cursor(text);
  std::mt19937 random(2);
  size_t at = 0;
  for (int step = 0; step < 2000; ++step) {
    // Mostly forward by a few units (inside pairs too), sometimes back, sometimes far.
    const unsigned kind = random() % 10;
    at = kind == 0 ? random() % (text.size() + 1) : std::min(text.size(), at + random() % 7);
    cursor.MoveTo(at);
    ASSERT_EQ(cursor.At(), at);
    ASSERT_EQ(cursor.Bytes(), BytesBefore(text, at)) << at;
    ASSERT_EQ(cursor.Line(), LineOf(text, at)) << at;
  }
  cursor.MoveTo(text.size() + 10);  // past the end: the end
  EXPECT_EQ(cursor.Bytes(), static_cast<int64_t>(Utf16ToUtf8(text).size()));
}

struct CollectCase {
  const char16_t* pattern;
  uint64_t limit;  // matches a batch
};
class CollectBatches : public testing::TestWithParam<CollectCase> {};

// Batch after batch, the records and log lines are those of the whole search, with lines and
// bytes counted from scratch.
TEST_P(CollectBatches, AddUpToTheWholeSearch) {
  const std::u16string text = RandomText(20000, 3);
  const CollectCase& c = GetParam();
  const std::vector<RegexMatch> whole = FindAllRegexMatches(text, c.pattern, true, false);
  ASSERT_FALSE(whole.empty());
  CompiledPattern pattern = BuildSearchRegex(c.pattern, true, false);
  RegexScan scan(text);
  std::vector<RegexHit> hits;
  std::string log;
  RegexLogLines lines([&log](std::string_view piece) { log += piece; }, 64);
  uint64_t batch = 1;
  BatchEnd end = BatchEnd::Limit;
  while (end != BatchEnd::Exhausted) {
    const size_t before = hits.size();
    const size_t found = CollectBatch(text, pattern, scan, c.limit, nullptr, &end, hits, {&lines, batch, 1});
    ASSERT_EQ(found, hits.size() - before);
    ASSERT_LE(found, c.limit);
    ++batch;
  }
  lines.Flush();
  ASSERT_EQ(hits.size(), whole.size());
  std::string expected;
  for (size_t i = 0; i < hits.size(); ++i) {
    const RegexMatch& m = whole[i];
    ASSERT_EQ(hits[i].match.start, m.start) << i;
    ASSERT_EQ(hits[i].match.end, m.end) << i;
    ASSERT_EQ(hits[i].match.line, LineOf(text, static_cast<size_t>(m.start))) << i;
    ASSERT_EQ(hits[i].byteStart, BytesBefore(text, static_cast<size_t>(m.start))) << i;
    ASSERT_EQ(hits[i].byteEnd, BytesBefore(text, static_cast<size_t>(m.end))) << i;
    RegexMatch numbered = m;
    numbered.line = hits[i].match.line;
    expected += RegexBatchLines(text, {numbered}, i / c.limit + 1, 1);
  }
  EXPECT_EQ(log, expected);
}
INSTANTIATE_TEST_SUITE_P(Patterns, CollectBatches,
                         testing::Values(CollectCase{u"word", 7}, CollectCase{u"\\r?\\n", 1000},
                                         CollectCase{u"[^a-z ]+", 3}, CollectCase{u"\U0001F600|\u20AC", 50},
                                         CollectCase{u"\\w+", 500}));

TEST(CollectBatch, ACancelledSearchStopsWithWhatItHas) {
  const std::u16string text = RandomText(5000, 4);
  CompiledPattern pattern = BuildSearchRegex(u"a", true, false);
  std::atomic<bool> cancel{true};
  RegexScan scan(text);
  std::vector<RegexHit> hits;
  BatchEnd end = BatchEnd::Limit;
  EXPECT_EQ(CollectBatch(text, pattern, scan, 100, &cancel, &end, hits), 0u);
  EXPECT_EQ(end, BatchEnd::Cancelled);
  EXPECT_TRUE(hits.empty());
}

}  // namespace
