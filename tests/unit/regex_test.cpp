#include "search/regex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "common/utf.h"

namespace {
// The matched texts of every match of `pattern` in `text`.
std::vector<std::u16string> Texts(std::u16string_view text, const char16_t* pattern, bool wholeWord) {
  std::vector<std::u16string> out;
  for (const auto& m : FindAllRegexMatches(text, pattern, true, wholeWord)) out.emplace_back(MatchedText(text, m));
  return out;
}
using V = std::vector<std::u16string>;
}  // namespace

TEST(RegexPattern, WholeWordWrapsTheWholeAlternation) {
  EXPECT_EQ(FindAllRegexMatches(u"a cat", u"cat", true, true).size(), 1u);
  EXPECT_TRUE(FindAllRegexMatches(u"concat", u"cat", true, true).empty());
  EXPECT_EQ(Texts(u"a b ab ba", u"a|b", true), (V{u"a", u"b"}));
}

TEST(RegexPattern, CaseAndPositions) {
  auto m = FindAllRegexMatches(u"Ring ring RING", u"ring", false, false);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[1].start, 5);
  EXPECT_EQ(m[1].end, 9);
  EXPECT_EQ(FindAllRegexMatches(u"Ring ring RING", u"ring", true, false).size(), 1u);
}

TEST(RegexPattern, BehavesLikeEcmaScript) {
  // ^ and $ only at the ends of the subject.
  EXPECT_EQ(FindAllRegexMatches(u"a\nb\n", u"^b", true, false).size(), 0u);
  EXPECT_EQ(FindAllRegexMatches(u"a\nb\n", u"b$", true, false).size(), 0u);  // not before a final newline
  EXPECT_EQ(FindAllRegexMatches(u"a\nb", u"b$", true, false).size(), 1u);
  // '.' stops at line ends.
  EXPECT_EQ(Texts(u"ab\r\ncd", u".+", false), (V{u"ab", u"cd"}));
  // \w and \d are ASCII.
  EXPECT_EQ(Texts(u"\u00e9t\u00e9 x1", u"\\w+", false), (V{u"t", u"x1"}));
  // \u escapes.
  EXPECT_EQ(FindAllRegexMatches(u"\u20ac5", u"\\u20AC\\d", true, false).size(), 1u);
}

TEST(RegexPattern, InvalidPatternsFindNothingAndReplaceNothing) {
  EXPECT_FALSE(BuildSearchRegex(u"(unbalanced", true, false).valid());
  EXPECT_TRUE(FindAllRegexMatches(u"(unbalanced", u"(unbalanced", true, false).empty());
  EXPECT_EQ(RegexReplaceAll(u"text (", u"(", u"x", true, false, false), u"text (");
  EXPECT_FALSE(RegexReplaceFirst(u"text", u"[", u"x", true, false, false).found);
  EXPECT_TRUE(FindAllRegexMatches(u"", u"a", true, false).empty());
  EXPECT_TRUE(FindAllRegexMatches(u"a", u"", true, false).empty());
}

TEST(RegexPattern, EmptyMatchesAdvanceOneCharacter) {
  auto m = FindAllRegexMatches(u"ab", u"x*", true, false);
  ASSERT_EQ(m.size(), 3u);  // before a, before b, at the end
  EXPECT_EQ(m[2].start, 2);
  // A surrogate pair is one character.
  EXPECT_EQ(FindAllRegexMatches(u"\U0001F600", u"x*", true, false).size(), 2u);
  // After an empty match, a non-empty one at the same place is still found.
  EXPECT_EQ(Texts(u"aab", u"a*", false), (V{u"aa", u"", u""}));
}

TEST(RegexPattern, AHugeLineWithDotStarNeitherCrashesNorHangs) {
  std::u16string line(300000, u'x');
  bool complex = true;
  auto m = FindAllRegexMatches(line, u".*", true, false, &complex);
  EXPECT_FALSE(complex);
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m[0].end, 300000);
}

TEST(RegexPattern, CatastrophicBacktrackingIsReportedNotFatal) {
  std::u16string text(40, u'a');
  text += u"!";
  bool complex = false;
  auto m = FindAllRegexMatches(text, u"(a+)+$", true, false, &complex);
  EXPECT_TRUE(m.empty());
  // Either the engine proves no match quickly or it reports the limit; it never hangs.
  SUCCEED() << (complex ? "too complex" : "no match");
}

TEST(RegexReplace, RestrictedTemplate) {
  auto first = RegexReplaceFirst(u"width=100", u"(\\w+)=(\\w+)", u"$2 is $1", true, false, false);
  ASSERT_TRUE(first.found);
  EXPECT_EQ(first.text, u"100 is width");
  EXPECT_EQ(first.match.start, 0);
  EXPECT_EQ(first.match.end, 9);
  EXPECT_EQ(first.matched, u"width=100");
  EXPECT_EQ(RegexReplaceFirst(u"width=100", u"(\\w+)=(\\w+)", u"[$3]", true, false, false).text, u"[]");
  EXPECT_EQ(RegexReplaceFirst(u"ab", u"a", u"$$1", true, false, false).text, u"$b");  // "$" then group 1 (none)
  EXPECT_EQ(RegexReplaceFirst(u"ab", u"(a)", u"$12", true, false, false).text, u"a2b");
  EXPECT_EQ(RegexReplaceFirst(u"ab", u"a", u"<$0|$&>", true, false, false).text, u"<a|a>b");
  EXPECT_EQ(RegexReplaceFirst(u"ab", u"a", u"cost $", true, false, false).text, u"cost $b");
}

TEST(RegexReplace, EcmaTemplateWithoutPreserveCase) {
  EXPECT_EQ(RegexReplaceAll(u"width=100", u"(\\w+)=(\\w+)", u"$2 is $1", true, false, false), u"100 is width");
  EXPECT_EQ(RegexReplaceAll(u"a", u"a", u"$$", true, false, false), u"$");
  EXPECT_EQ(RegexReplaceAll(u"a", u"a", u"$$", true, false, true), u"$$");  // the restricted dialect
  EXPECT_EQ(RegexReplaceAll(u"xay", u"a", u"[$`|$']", true, false, false), u"x[x|y]y");
  EXPECT_EQ(RegexReplaceAll(u"ab", u"(a)(b)", u"<$21>", true, false, false), u"<>");  // no group 21
  int count = 0;
  EXPECT_EQ(RegexReplaceAll(u"a.a.a", u"a", u"bb", true, false, false, &count), u"bb.bb.bb");
  EXPECT_EQ(count, 3);
}

struct CaseCase {
  const char16_t* matched;
  const char16_t* expected;
};
class RegexPreserveCase : public testing::TestWithParam<CaseCase> {};
TEST_P(RegexPreserveCase, WOrld) { EXPECT_EQ(ApplyRegexPreserveCase(u"wOrld", GetParam().matched), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Matches, RegexPreserveCase,
                         testing::Values(CaseCase{u"HELLO", u"WORLD"}, CaseCase{u"hello", u"world"},
                                         CaseCase{u"Hello", u"World"}, CaseCase{u"hELLO", u"wOrld"},
                                         CaseCase{u"123", u"WORLD"}, CaseCase{u"", u"wOrld"}));

TEST(RegexReplace, PreserveCaseInReplaceAll) {
  EXPECT_EQ(RegexReplaceAll(u"Cat CAT cat", u"cat", u"dog", false, false, true), u"Dog DOG dog");
}

TEST(SearchBatchTest, ResumesWithEachStartCountingAsTheBeginning) {
  CompiledPattern p = BuildSearchRegex(u"^foo", true, false);
  uint64_t pos = 0;
  BytePositionTracker lines;
  BatchEnd why;
  auto batch = SearchBatch(u"foofoo", p, pos, 10, lines, nullptr, &why);
  ASSERT_EQ(batch.size(), 2u);
  EXPECT_EQ(batch[1].start, 3);
  EXPECT_EQ(why, BatchEnd::Exhausted);
}

TEST(SearchBatchTest, BatchesContinueWhereTheyStoppedWithLineNumbers) {
  std::u16string text = u"a1\nb2\nc3 d4\ne5 f6 g7";
  CompiledPattern p = BuildSearchRegex(u"[a-z]\\d", true, false);
  uint64_t pos = 0;
  BytePositionTracker lines;
  BatchEnd why;
  std::vector<RegexMatch> all;
  for (int run = 0; run < 3; ++run) {
    auto batch = SearchBatch(text, p, pos, 3, lines, nullptr, &why);
    all.insert(all.end(), batch.begin(), batch.end());
  }
  ASSERT_EQ(all.size(), 7u);  // 3 + 3 + 1
  EXPECT_EQ(why, BatchEnd::Exhausted);
  EXPECT_EQ(all[0].line, 1);
  EXPECT_EQ(all[2].line, 3);
  EXPECT_EQ(all[3].line, 3);
  EXPECT_EQ(MatchedText(text, all[6]), u"g7");
  EXPECT_EQ(all[6].line, 4);
}

TEST(SearchBatchTest, EmptyMatchesAdvanceAndLimitAndCancelStop) {
  CompiledPattern p = BuildSearchRegex(u"x*", true, false);
  uint64_t pos = 0;
  BytePositionTracker lines;
  BatchEnd why;
  auto batch = SearchBatch(u"ab\nc", p, pos, 100, lines, nullptr, &why);
  ASSERT_EQ(batch.size(), 4u);  // one empty match at each position, none duplicated
  EXPECT_EQ(batch[3].start, 3);
  EXPECT_EQ(batch[3].line, 2);
  pos = 0;
  EXPECT_EQ(SearchBatch(u"ab\nc", p, pos, 2, lines, nullptr, &why).size(), 2u);
  EXPECT_EQ(why, BatchEnd::Limit);
  EXPECT_EQ(pos, 2u);
  EXPECT_TRUE(SearchBatch(u"ab", p, pos, 0, lines, nullptr, &why).empty());  // batch size 0
  std::atomic<bool> cancel{true};
  pos = 0;
  EXPECT_TRUE(SearchBatch(u"ab", p, pos, 5, lines, &cancel, &why).empty());
  EXPECT_EQ(why, BatchEnd::Cancelled);
}

TEST(SearchBatchTest, TrackersGiveTheSameValuesAsCountingFromTheStart) {
  std::u16string text = u"a\n\u00e9\n\U0001F600\u20ac\nz";
  BytePositionTracker bytes;
  for (auto [index, line] : {std::pair<size_t, int64_t>{0, 1}, {3, 2}, {text.size(), 4}, {1, 1}}) {
    bytes.ByteOf(text, index);  // an earlier index starts again
    EXPECT_EQ(bytes.Line(), line) << index;
  }
  EXPECT_EQ(bytes.ByteOf(text, 2), 2);
  EXPECT_EQ(bytes.ByteOf(text, 4), 5);   // e-acute is two bytes, then LF
  EXPECT_EQ(bytes.ByteOf(text, 6), 9);   // the surrogate pair is four bytes
  EXPECT_EQ(bytes.ByteOf(text, 7), 12);  // the euro sign three
  EXPECT_EQ(bytes.ByteOf(text, 3), 4);  // an earlier index starts again
}

namespace {
std::vector<RegexMatch> Read(RegexResults::Reader reader, size_t count = SIZE_MAX) {
  std::vector<RegexMatch> out;
  RegexMatch m;
  while (out.size() < count && reader.Next(&m)) out.push_back(m);
  return out;
}
}  // namespace

TEST(RegexResultsTest, MatchesComeBackAsTheyWereStored) {
  const std::vector<RegexMatch> stored = {{0, 0, 1},       {0, 3, 1},          {200, 70000, 2},  {70000, 70000, 2},
                                          {70001, 70002, 90000}, {2147483000, 2147483647, 2147483647},
                                          {5, 9, 3},       {4, 4, 1}};  // the last two out of order, still kept
  RegexResults results;
  EXPECT_TRUE(results.empty());
  EXPECT_TRUE(Read(results.ReadAll()).empty());
  for (const RegexMatch& m : stored) results.push_back(m);
  ASSERT_EQ(results.size(), stored.size());
  const auto back = Read(results.ReadAll());
  ASSERT_EQ(back.size(), stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    EXPECT_EQ(back[i].start, stored[i].start) << i;
    EXPECT_EQ(back[i].end, stored[i].end) << i;
    EXPECT_EQ(back[i].line, stored[i].line) << i;
  }
  // A reader taken at the end reads what is appended after it, however the storage grows.
  RegexResults::Reader later = results.ReadNew();
  for (int i = 0; i < 10000; ++i) results.push_back({10 * i, 10 * i + 3, i / 7 + 1});
  const auto appended = Read(later);
  ASSERT_EQ(appended.size(), 10000u);
  EXPECT_EQ(appended[9999].start, 99990);
  EXPECT_EQ(appended[9999].line, 9999 / 7 + 1);
  EXPECT_LE(results.StorageBytes(), 64000u);  // three bytes or so a match
  results.clear();
  EXPECT_EQ(results.size(), 0u);
  EXPECT_TRUE(Read(results.ReadAll()).empty());
  results.push_back({1, 2, 1});
  EXPECT_EQ(Read(results.ReadAll()).size(), 1u);
}

TEST(SearchBatchTest, AppendsToTheResultsItIsGiven) {
  std::u16string text = u"a1\nb2\nc3 d4\ne5 f6 g7";
  CompiledPattern p = BuildSearchRegex(u"[a-z]\\d", true, false);
  uint64_t pos = 0;
  BytePositionTracker lines;
  BatchEnd why;
  RegexResults results;
  EXPECT_EQ(SearchBatch(text, p, pos, 3, lines, nullptr, &why, results), 3u);
  RegexResults::Reader second = results.ReadNew();
  EXPECT_EQ(SearchBatch(text, p, pos, 3, lines, nullptr, &why, results), 3u);
  EXPECT_EQ(SearchBatch(text, p, pos, 3, lines, nullptr, &why, results), 1u);
  EXPECT_EQ(SearchBatch(text, p, pos, 3, lines, nullptr, &why, results), 0u);
  EXPECT_EQ(why, BatchEnd::Exhausted);
  ASSERT_EQ(results.size(), 7u);
  const auto batch = Read(second, 3);
  ASSERT_EQ(batch.size(), 3u);
  EXPECT_EQ(MatchedText(text, batch[0]), u"d4");
  EXPECT_EQ(MatchedText(text, batch[1]), u"e5");
  EXPECT_EQ(batch[1].line, 4);
  EXPECT_EQ(Read(results.ReadAll()).back().start, 18);
}

// A batch of many matches, however densely they come, is the same as listing them all; the
// storage it grows is sized from the matches seen so far.
TEST(SearchBatchTest, LongBatchesMatchTheFullListing) {
  std::u16string text;
  for (int i = 0; i < 60000; ++i) text += i < 20000 ? u"ab " : i % 50 == 0 ? u"ab\n" : u"xy ";
  CompiledPattern p = BuildSearchRegex(u"ab", true, false);
  const auto all = FindAllRegexMatches(text, u"ab", true, false);
  ASSERT_EQ(all.size(), 20000u + 800u);
  uint64_t pos = 0;
  BytePositionTracker lines;
  BatchEnd why;
  std::vector<RegexMatch> batch = SearchBatch(text, p, pos, ~0ull, lines, nullptr, &why);
  EXPECT_EQ(why, BatchEnd::Exhausted);
  ASSERT_EQ(batch.size(), all.size());
  int64_t feeds = 0;
  size_t at = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    ASSERT_EQ(batch[i].start, all[i].start);
    ASSERT_EQ(batch[i].end, all[i].end);
    for (; at < static_cast<size_t>(batch[i].start); ++at) feeds += text[at] == u'\n';
    ASSERT_EQ(batch[i].line, feeds + 1);
  }
}

// A long session's matches go on in blocks: readers taken at any point, even at a block's
// end, read on into the blocks appended later, and the storage is about what the matches take.
TEST(RegexResultsTest, ManyMatchesSpanBlocksAndReadersFollowThem) {
  RegexResults results;
  std::vector<RegexMatch> stored;
  std::vector<std::pair<RegexResults::Reader, size_t>> readers;  // and the index each starts at
  int32_t at = 0, line = 1;
  for (int i = 0; i < 700000; ++i) {
    if (i % 50000 == 0) readers.emplace_back(results.ReadNew(), stored.size());
    const int32_t gap = i % 1000 == 0 ? 70000 : i % 3, length = i % 777 == 0 ? 300 : 1 + i % 5;
    line += i % 4 == 0 ? 1 : i % 9999 == 0 ? 200 : 0;
    stored.push_back({at + gap, at + gap + length, line});
    at += gap + length;
    results.push_back(stored.back());
  }
  ASSERT_EQ(results.size(), stored.size());
  EXPECT_LE(results.StorageBytes(), stored.size() * 7 / 2 + (size_t{1} << 20));  // about 3 bytes a match
  readers.emplace_back(results.ReadAll(), 0);
  for (auto& [reader, from] : readers) {
    RegexMatch m;
    size_t i = from;
    while (reader.Next(&m)) {
      ASSERT_LT(i, stored.size());
      ASSERT_EQ(m.start, stored[i].start) << i;
      ASSERT_EQ(m.end, stored[i].end) << i;
      ASSERT_EQ(m.line, stored[i].line) << i;
      ++i;
    }
    EXPECT_EQ(i, stored.size());
  }
}

// Emptied stores leave their largest blocks to the next ones, with the old bytes still in them:
// what is read back is only what was stored since.
TEST(RegexResultsTest, StoresReuseTheBlocksOfEmptiedOnes) {
  auto fill = [](RegexResults& results, int32_t seed) {
    for (int32_t i = 0; i < 900000; ++i) results.push_back({3 * i + seed % 3, 3 * i + 2, i / 5 + seed});
  };
  {
    RegexResults first;
    fill(first, 1);
    first.clear();
    RegexResults second;
    fill(second, 2);
  }  // and blocks given back when a store goes away
  for (int32_t seed : {3, 4}) {
    RegexResults results;
    fill(results, seed);
    RegexMatch m;
    int32_t i = 0;
    for (RegexResults::Reader reader = results.ReadAll(); reader.Next(&m); ++i) {
      ASSERT_EQ(m.start, 3 * i + seed % 3);
      ASSERT_EQ(m.end, 3 * i + 2);
      ASSERT_EQ(m.line, i / 5 + seed);
    }
    EXPECT_EQ(i, 900000);
  }
}

TEST(RegexResultsTest, ByteRangesComeBackAsTheyWereStored) {
  RegexByteRanges ranges;
  const std::vector<std::pair<int64_t, int64_t>> stored = {
      {0, 0}, {0, 3}, {10, 12}, {5000000000, 5000000004}, {5000000004, 6000000000}, {7, 8}};  // beyond 32 bits
  int64_t start = 0, end = 0;
  EXPECT_FALSE(ranges.ReadAll().Next(&start, &end));
  for (const auto& r : stored) ranges.push_back(r.first, r.second);
  RegexByteRanges::Reader later = ranges.ReadNew();
  for (int i = 0; i < 100000; ++i) ranges.push_back(100 + 4 * i, 102 + 4 * i);
  RegexByteRanges::Reader all = ranges.ReadAll();
  for (const auto& r : stored) {
    ASSERT_TRUE(all.Next(&start, &end));
    EXPECT_EQ(start, r.first);
    EXPECT_EQ(end, r.second);
  }
  size_t more = 0;
  while (later.Next(&start, &end)) {
    ASSERT_EQ(start, 100 + 4 * static_cast<int64_t>(more));
    ASSERT_EQ(end, start + 2);
    ++more;
  }
  EXPECT_EQ(more, 100000u);
  EXPECT_EQ(ranges.size(), stored.size() + more);
  ranges.clear();
  EXPECT_EQ(ranges.size(), 0u);
  EXPECT_FALSE(ranges.ReadAll().Next(&start, &end));

  // Gaps and lengths of one, two, three and more bytes in every pairing, over many blocks.
  const int64_t sizes[] = {0, 1, 63, 64, 8191, 8192, 1 << 20, int64_t{1} << 40};
  std::vector<std::pair<int64_t, int64_t>> mixed;
  int64_t at = 0;
  for (int round = 0; round < 3000; ++round)
    for (int64_t gap : sizes)
      for (int64_t length : sizes) {
        mixed.emplace_back(at + gap, at + gap + length);
        at += gap + length;
        ranges.push_back(mixed.back().first, mixed.back().second);
      }
  size_t i = 0;
  for (RegexByteRanges::Reader reader = ranges.ReadAll(); reader.Next(&start, &end); ++i) {
    ASSERT_LT(i, mixed.size());
    ASSERT_EQ(start, mixed[i].first) << i;
    ASSERT_EQ(end, mixed[i].second) << i;
  }
  EXPECT_EQ(i, mixed.size());
}

// The search hands its matches over in full blocks and a last shorter one; together they are
// the batch SearchBatch stores, without line numbers.
TEST(SearchBatchTest, MatchesAreHandedOverInBlocks) {
  std::u16string text;
  for (size_t i = 0; i < 2 * kMatchBlock + 100; ++i) text += i % 9 == 0 ? u"ab\n" : u"ab ";
  CompiledPattern p = BuildSearchRegex(u"ab", true, false);
  std::vector<size_t> sizes;
  std::vector<RegexMatch> handed;
  uint64_t pos = 0;
  BatchEnd why;
  const size_t found = FindBatchMatches(text, p, pos, ~0ull, nullptr, &why, [&](std::vector<RegexMatch>& block) {
    sizes.push_back(block.size());
    handed.insert(handed.end(), block.begin(), block.end());
    std::vector<RegexMatch>().swap(block);  // taking the storage along is allowed
  });
  EXPECT_EQ(why, BatchEnd::Exhausted);
  ASSERT_EQ(found, handed.size());
  EXPECT_EQ(sizes, (std::vector<size_t>{kMatchBlock, kMatchBlock, 100}));
  uint64_t again = 0;
  BytePositionTracker lines;
  const auto stored = SearchBatch(text, p, again, ~0ull, lines, nullptr, &why);
  ASSERT_EQ(stored.size(), handed.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    ASSERT_EQ(handed[i].start, stored[i].start);
    ASSERT_EQ(handed[i].end, stored[i].end);
    ASSERT_EQ(handed[i].line, 0);
    ASSERT_EQ(stored[i].line, static_cast<int32_t>((i + 8) / 9 + 1)) << i;  // "ab\n" before the second
  }
  // A limit that ends on a block's boundary hands over no empty block.
  sizes.clear();
  pos = 0;
  EXPECT_EQ(FindBatchMatches(text, p, pos, kMatchBlock, nullptr, &why,
                             [&](std::vector<RegexMatch>& block) { sizes.push_back(block.size()); }),
            kMatchBlock);
  EXPECT_EQ(why, BatchEnd::Limit);
  EXPECT_EQ(sizes, (std::vector<size_t>{kMatchBlock}));
}

// Steps of every length: inside one block of eight, across blocks, and longer than the counts a
// lane holds before it is summed; also steps that end before the eighth unit of the text.
TEST(SearchBatchTest, LineFeedsAreCountedOverLongAndShortSteps) {
  std::u16string text;
  unsigned seed = 7;
  for (int i = 0; i < 300000; ++i) {
    seed = seed * 1103515245u + 12345u;
    text += (seed >> 16) % 13 == 0 ? u'\n' : (seed >> 16) % 17 == 0 ? u'\r' : u'a';
  }
  std::vector<size_t> feedsBefore(text.size() + 1, 0);
  for (size_t i = 0; i < text.size(); ++i) feedsBefore[i + 1] = feedsBefore[i] + (text[i] == u'\n');
  for (size_t step : {size_t{1}, size_t{3}, size_t{7}, size_t{8}, size_t{9}, size_t{33}, size_t{65539}, size_t{140000}}) {
    BytePositionTracker bytes;
    for (size_t index = 0; index <= text.size(); index += step) {
      bytes.ByteOf(text, index);
      ASSERT_EQ(bytes.Line(), static_cast<int64_t>(feedsBefore[index]) + 1) << step << " " << index;
    }
  }
}

// The benchmarks' baseline counts what the searches find, empty matches included.
TEST(SearchBatchTest, TheEngineAloneCountsTheSameMatches) {
  const std::u16string text = u"ab\naab b\u0161a\nbab";
  for (const char16_t* pattern : {u"a+", u"b*", u"^a", u"\\bb", u"$", u"x"})
    EXPECT_EQ(CountMatchesWithTheEngineAlone(BuildSearchRegex(pattern, true, false), text),
              FindAllRegexMatches(text, pattern, true, false).size())
        << std::string(pattern, pattern + 2);
  EXPECT_EQ(CountMatchesWithTheEngineAlone(BuildSearchRegex(u"(", true, false), text), 0u);
}

TEST(SearchBatchTest, MatchedTextIsReadFromTheSearchedText) {
  EXPECT_EQ(MatchedText(u"hello world", {6, 11, 1}), u"world");
  EXPECT_EQ(MatchedText(u"hello", {5, 5, 1}), u"");
}

// The byte tracker sums plain runs in one go and walks runs with surrogates unit by unit; both
// give the length of the UTF-8 form of the text before the index.
TEST(SearchBatchTest, BytePositionsAgreeWithTheUtf8Form) {
  std::u16string text;
  for (int i = 0; i < 3000; ++i) {
    text += i % 3 == 0 ? u"abc" : i % 3 == 1 ? u"\u00e9\u20ac" : u"z";
    if (i % 5 == 0) text += i % 10 == 0 ? u"\n" : u"\r\n";
    if (i % 97 == 0) text += u"\U0001F600";
    if (i % 211 == 0) text += char16_t(0xDC00);  // a lone low surrogate
    if (i % 389 == 0) text += char16_t(0xD800);  // a lone high surrogate
  }
  text.insert(511, u"\U0001F600");  // a pair across the first run's end
  std::vector<size_t> indexes;
  for (size_t i = 0; i <= text.size(); i += 7) indexes.push_back(i);
  indexes.push_back(text.size());
  auto utf8Before = [&](size_t index) {
    // A pair cut in two counts whole, as the tracker steps over pairs.
    if (index > 0 && index < text.size() && text[index - 1] >= 0xD800 && text[index - 1] <= 0xDBFF &&
        text[index] >= 0xDC00 && text[index] <= 0xDFFF)
      ++index;
    return static_cast<int64_t>(Utf16ToUtf8(std::u16string_view(text).substr(0, index)).size());
  };
  auto lineOf = [&](size_t index) {
    return 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(index), u'\n');
  };
  BytePositionTracker bytes;
  for (size_t index : indexes) {
    ASSERT_EQ(bytes.ByteOf(text, index), utf8Before(index)) << index;
    ASSERT_EQ(bytes.Line(), lineOf(index)) << index;
  }
  BytePositionTracker fresh;
  EXPECT_EQ(fresh.ByteOf(text, text.size()), utf8Before(text.size()));
  EXPECT_EQ(fresh.ByteOf(text, 600), utf8Before(600));  // back again: counted afresh
}

// Runs of matches are located a stretch of the text at a time. They get the same offsets and
// lines as single indexes: over gaps longer than a stretch, pairs cut by the 64-unit pieces,
// matches ending where the next one starts, empty ones, runs handed over in parts, and one
// ending at the text's end. A stretch counted on its own from inside a pair adds up the same.
TEST(SearchBatchTest, RunsOfMatchesAreLocatedLikeSingleIndexes) {
  std::u16string text;
  unsigned seed = 11;
  auto next = [&seed](unsigned range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  };
  while (text.size() < 300000) {
    switch (next(9)) {
      case 0: text += u'\n'; break;
      case 1: text += u"\u00e9"; break;
      case 2: text += u"\u20ac"; break;
      case 3: text += u"\U0001F600"; break;
      case 4: text += next(4) == 0 ? char16_t(0xD800 + next(0x800)) : u'x'; break;  // now and then a lone half
      default: text += std::u16string_view(u"abcdefg").substr(0, 1 + next(7)); break;
    }
  }
  // The UTF-8 length before each index, a pair cut in two counting whole; and the lines.
  std::vector<int64_t> bytesBefore(text.size() + 1, 0), linesAt(text.size() + 1, 1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    linesAt[i + 1] = linesAt[i] + (c == u'\n');
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      bytesBefore[i + 1] = bytesBefore[i + 2] = bytesBefore[i] + 4;
      linesAt[i + 2] = linesAt[i + 1];
      ++i;
    } else {
      bytesBefore[i + 1] = bytesBefore[i] + (c < 0x80 ? 1 : c < 0x800 ? 2 : 3);
    }
  }
  ASSERT_EQ(bytesBefore.back(), static_cast<int64_t>(Utf16ToUtf8(text).size()));

  std::vector<RegexMatch> matches;
  const size_t gaps[] = {0, 0, 1, 5, 63, 64, 65, 127, 1000};
  const size_t lengths[] = {0, 1, 2, 6, 63, 64, 65, 300};
  for (size_t at = 0;;) {
    const size_t start = at + (next(150) == 0 ? 40000 + next(30000) : gaps[next(9)]);
    const size_t end = start + lengths[next(8)];
    if (end > text.size()) break;
    matches.push_back({static_cast<int32_t>(start), static_cast<int32_t>(end), 0});
    at = end;
  }
  matches.push_back({static_cast<int32_t>(text.size()) - 3, static_cast<int32_t>(text.size()), 0});
  ASSERT_GT(matches.size(), 300u);

  BytePositionTracker tracker;
  std::vector<std::pair<int64_t, int64_t>> bytes(matches.size());
  for (size_t done = 0, part = 1; done < matches.size(); part = part * 7 % 997 + 1) {
    const size_t count = std::min(part, matches.size() - done);
    tracker.Locate(text, std::span<RegexMatch>(matches).subspan(done, count), 1, bytes.data() + done);
    done += count;
  }
  for (size_t i = 0; i < matches.size(); ++i) {
    const RegexMatch& m = matches[i];
    ASSERT_EQ(bytes[i].first, bytesBefore[m.start]) << i << " at " << m.start;
    ASSERT_EQ(bytes[i].second, bytesBefore[m.end]) << i << " at " << m.end;
    ASSERT_EQ(m.line, linesAt[m.start]) << i << " at " << m.start;
  }
  EXPECT_EQ(tracker.At(), text.size());
  EXPECT_EQ(tracker.Bytes(), bytesBefore.back());
  EXPECT_EQ(tracker.Line(), linesAt.back());

  // From the second half of a pair on, counted on its own, then added to a tracker standing there.
  const size_t half = text.find(u"\U0001F600", 150000) + 1;
  std::vector<RegexMatch> later;
  for (const RegexMatch& m : matches)
    if (static_cast<size_t>(m.start) >= half) later.push_back(m);
  BytePositionTracker stretch, whole;
  stretch.StartAt(text, half);
  std::vector<std::pair<int64_t, int64_t>> relative(later.size());
  stretch.Locate(text, later, 0, relative.data());
  whole.ByteOf(text, half);
  for (size_t i = 0; i < later.size(); ++i) {
    ASSERT_EQ(whole.Bytes() + relative[i].first, bytesBefore[later[i].start]) << i;
    ASSERT_EQ(whole.Line() + later[i].line, linesAt[later[i].start]) << i;
  }
  whole.Add(stretch);
  EXPECT_EQ(whole.ByteOf(text, text.size()), bytesBefore.back());
  EXPECT_EQ(whole.Line(), linesAt.back());

  // Asked about an earlier index than it stands at, a tracker counts afresh.
  std::vector<RegexMatch> again = {matches[3]};
  tracker.Locate(text, again, 1, bytes.data());
  EXPECT_EQ(bytes[0].first, bytesBefore[matches[3].start]);
  EXPECT_EQ(again[0].line, linesAt[matches[3].start]);
}

// Matches across the search windows, and ones that end exactly at a window's end, are the same
// as one search over the whole text would find.
TEST(SearchBatchTest, WindowsDoNotChangeTheMatches) {
  const size_t window = 1u << 22;
  std::u16string text(window + 10, u'.');
  text.replace(window - 3, 6, u"needle");  // straddles the first window's end
  text.replace(window - 20, 4, u"word");   // ends well inside
  text += u"tail";
  struct Case {
    const char16_t* pattern;
    size_t count;
  } cases[] = {{u"needle", 1}, {u"\\w+", 3}, {u"tail$", 1}, {u"d\\.{3}$", 0}, {u"ne+dle", 1}};
  for (const Case& c : cases) {
    CompiledPattern p = BuildSearchRegex(c.pattern, true, false);
    uint64_t pos = 0;
    BytePositionTracker lines;
    BatchEnd why;
    auto batch = SearchBatch(text, p, pos, 100, lines, nullptr, &why);
    auto whole = FindAllRegexMatches(text, c.pattern, true, false);
    ASSERT_EQ(batch.size(), c.count) << std::string(c.pattern, c.pattern + 6);
    for (size_t i = 0; i < batch.size() && i < whole.size(); ++i) {
      EXPECT_EQ(batch[i].start, whole[i].start);
      EXPECT_EQ(batch[i].end, whole[i].end);
    }
  }
}

TEST(SearchBatchTest, CancelIsSeenInsideOneLongSearch) {
  std::u16string text(3 * kSearchWindow, u'a');  // no match anywhere: one long search
  CompiledPattern p = BuildSearchRegex(u"b", true, false);
  std::atomic<bool> cancel{true};
  bool cancelled = false;
  MatchGroups m;
  EXPECT_EQ(RegexSearchCancellable(p, text, &m, &cancel, &cancelled), RegexOutcome::NoMatch);
  EXPECT_TRUE(cancelled);  // gave up after the first window instead of scanning everything
  cancel = false;
  text.back() = u'b';
  EXPECT_EQ(RegexSearchCancellable(p, text, &m, &cancel, &cancelled), RegexOutcome::Match);
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(m.groups[0].first, static_cast<int64_t>(text.size() - 1));
}

TEST(RegexPattern, SyntaxOutsideEcmaScriptIsRejected) {
  for (const char16_t* bad : {u"(?i)abc", u"(?>a+)b", u"a++", u"\\Aabc", u"abc\\z", u"(?#note)x", u"\\Qa.b\\E",
                              u"a{2}+", u"x\\Ky"})
    EXPECT_FALSE(BuildSearchRegex(bad, true, false).valid()) << std::string(bad, bad + 4);
  for (const char16_t* good : {u"(?:a|b)", u"a(?=b)", u"a(?!b)", u"(?<=a)b", u"(?<!a)b", u"(?<n>a)\\k<n>", u"[(?i)]",
                               u"\\(?i\\)", u"a+?", u"[\\]A]", u"[]a]", u"\\\\A"})
    EXPECT_FALSE(UsesSyntaxOutsideEcmaScript(good)) << std::string(good, good + 4);
}
