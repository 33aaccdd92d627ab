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

TEST(SearchBatchTest, BatchesContinueWhereTheyStoppedWithLineNumbers) {
  std::u16string text = u"a1\nb2\nc3 d4\ne5 f6 g7";
  CompiledPattern p = BuildSearchRegex(u"[a-z]\\d", true, false);
  RegexScan scan(text);
  BatchEnd why;
  std::vector<RegexMatch> all;
  for (int run = 0; run < 3; ++run) {
    auto batch = SearchBatch(text, p, scan, 3, nullptr, &why);
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
  std::atomic<bool> cancel{true};
  RegexScan cancelled(text);
  EXPECT_TRUE(SearchBatch(text, p, cancelled, 5, &cancel, &why).empty());
  EXPECT_EQ(why, BatchEnd::Cancelled);
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

TEST(SearchBatchTest, MatchedTextIsReadFromTheSearchedText) {
  EXPECT_EQ(MatchedText(u"hello world", {6, 11, 1}), u"world");
  EXPECT_EQ(MatchedText(u"hello", {5, 5, 1}), u"");
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
    RegexScan scan(text);
    BatchEnd why;
    auto batch = SearchBatch(text, p, scan, 100, nullptr, &why);
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
  for (const char16_t* bad :
       {u"(?i)abc", u"(?>a+)b", u"a++", u"\\Aabc", u"abc\\z", u"(?#note)x", u"\\Qa.b\\E", u"a{2}+", u"x\\Ky"})
    EXPECT_FALSE(BuildSearchRegex(bad, true, false).valid()) << std::string(bad, bad + 4);
  for (const char16_t* good : {u"(?:a|b)", u"a(?=b)", u"a(?!b)", u"(?<=a)b", u"(?<!a)b", u"(?<n>a)\\k<n>", u"[(?i)]",
                               u"\\(?i\\)", u"a+?", u"[\\]A]", u"[]a]", u"\\\\A"})
    EXPECT_FALSE(UsesSyntaxOutsideEcmaScript(good)) << std::string(good, good + 4);
}
