#include "search/regex.h"
#include "search/regex_testing.h"

#include "search/regex_batch.h"

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
// One batch as the worker collects it, as plain matches with their lines.
std::vector<RegexMatch> SearchBatch(std::u16string_view text, const CompiledPattern& pattern, RegexScan& scan,
                                    uint64_t limit, const std::atomic<bool>* cancel, BatchEnd* why) {
  std::vector<RegexHit> hits;
  CollectBatch(text, pattern, scan, limit, cancel, why, hits);
  std::vector<RegexMatch> batch;
  for (const RegexHit& hit : hits) batch.push_back(hit.match);
  return batch;
}
}  // namespace

TEST(RegexPattern, WholeWordWrapsTheWholeAlternation) {
  EXPECT_EQ(FindAllRegexMatches(u"a cat", u"cat", true, true).size(), 1u);
  EXPECT_TRUE(FindAllRegexMatches(u"concat", u"cat", true, true).empty());
  EXPECT_EQ(Texts(u"a b ab ba", u"a|b", true), (V{u"a", u"b"}));
}

// \w and \d are ASCII (the comparison with std::wregex sees ASCII texts only).
TEST(RegexPattern, WordCharactersAreAscii) {
  EXPECT_EQ(Texts(u"\u00e9t\u00e9 x1", u"\\w+", false), (V{u"t", u"x1"}));
}

TEST(RegexPattern, InvalidPatternsFindNothingAndReplaceNothing) {
  EXPECT_FALSE(BuildSearchRegex(u"(unbalanced", true, false).valid());
  EXPECT_TRUE(FindAllRegexMatches(u"(unbalanced", u"(unbalanced", true, false).empty());
  EXPECT_EQ(RegexReplaceAll(u"text (", u"(", u"x", true, false, false), u"text (");
  EXPECT_FALSE(RegexReplaceFirst(u"text", u"[", u"x", true, false, false).found);
  EXPECT_TRUE(FindAllRegexMatches(u"", u"a", true, false).empty());
  EXPECT_TRUE(FindAllRegexMatches(u"a", u"", true, false).empty());
}

// An empty match moves on by a whole character: a surrogate pair is one.
TEST(RegexPattern, EmptyMatchesStepOverASurrogatePair) {
  EXPECT_EQ(FindAllRegexMatches(u"\U0001F600", u"x*", true, false).size(), 2u);
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
  EXPECT_EQ(RegexReplaceAll(u"a", u"a", u"$$", true, false, true), u"$$");  // the restricted dialect
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
TEST_P(RegexPreserveCase, WOrld) {
  EXPECT_EQ(ApplyRegexPreserveCase(u"wOrld", GetParam().matched), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Matches, RegexPreserveCase,
                         testing::Values(CaseCase{u"HELLO", u"WORLD"}, CaseCase{u"hello", u"world"},
                                         CaseCase{u"Hello", u"World"}, CaseCase{u"hELLO", u"wOrld"},
                                         CaseCase{u"123", u"WORLD"}, CaseCase{u"", u"wOrld"}));

TEST(RegexReplace, PreserveCaseInReplaceAll) {
  EXPECT_EQ(RegexReplaceAll(u"Cat CAT cat", u"cat", u"dog", false, false, true), u"Dog DOG dog");
}

TEST(SearchBatchTest, ResumesWithEachStartCountingAsTheBeginning) {
  CompiledPattern p = BuildSearchRegex(u"^foo", true, false);
  const std::u16string text = u"foofoo";
  RegexScan scan(text);
  BatchEnd why;
  auto batch = SearchBatch(text, p, scan, 10, nullptr, &why);
  ASSERT_EQ(batch.size(), 2u);
  EXPECT_EQ(batch[1].start, 3);
  EXPECT_EQ(why, BatchEnd::Exhausted);
}

TEST(SearchBatchTest, EmptyMatchesAdvanceAndTheLimitStops) {
  CompiledPattern p = BuildSearchRegex(u"x*", true, false);
  const std::u16string text = u"ab\nc";
  RegexScan scan(text);
  BatchEnd why;
  auto batch = SearchBatch(text, p, scan, 100, nullptr, &why);
  ASSERT_EQ(batch.size(), 4u);  // one empty match at each position, none duplicated
  EXPECT_EQ(batch[3].start, 3);
  EXPECT_EQ(batch[3].line, 2);
  RegexScan again(text);
  EXPECT_EQ(SearchBatch(text, p, again, 2, nullptr, &why).size(), 2u);
  EXPECT_EQ(why, BatchEnd::Limit);
  EXPECT_EQ(again.position, 2u);
  EXPECT_TRUE(SearchBatch(text, p, again, 0, nullptr, &why).empty());  // batch size 0
}

// A batch of many matches, however densely they come, is the same as listing them all; the
// storage it grows is sized from the matches seen so far.
TEST(SearchBatchTest, LongBatchesMatchTheFullListing) {
  std::u16string text;
  for (int i = 0; i < 60000; ++i) text += i < 20000 ? u"ab " : i % 50 == 0 ? u"ab\n" : u"xy ";
  CompiledPattern p = BuildSearchRegex(u"ab", true, false);
  const auto all = FindAllRegexMatches(text, u"ab", true, false);
  ASSERT_EQ(all.size(), 20000u + 800u);
  RegexScan scan(text);
  BatchEnd why;
  std::vector<RegexMatch> batch = SearchBatch(text, p, scan, ~0ull, nullptr, &why);
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

// The benchmarks' baseline counts what the searches find, empty matches included.
TEST(SearchBatchTest, TheEngineAloneCountsTheSameMatches) {
  const std::u16string text = u"ab\naab b\u0161a\nbab";
  for (const char16_t* pattern : {u"a+", u"b*", u"^a", u"\\bb", u"$", u"x"})
    EXPECT_EQ(CountMatchesWithTheEngineAlone(BuildSearchRegex(pattern, true, false), text),
              FindAllRegexMatches(text, pattern, true, false).size())
        << std::string(pattern, pattern + 2);
  EXPECT_EQ(CountMatchesWithTheEngineAlone(BuildSearchRegex(u"(", true, false), text), 0u);
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

