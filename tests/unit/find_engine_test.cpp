#include "search/find_engine.h"

#include <gtest/gtest.h>

namespace {
ReplaceAllResult Replace(std::string_view region, std::string_view find, std::u16string_view replace,
                     ReplaceAllOptions options = {}, int64_t start = 0) {
  return ReplaceAllInRegion(region, find, replace, options, start);
}
}  // namespace

TEST(ReplaceAll, WholeWordTreatsTheUnderscoreAsABoundary) {
  ReplaceAllOptions o;
  o.wholeWord = true;
  auto r = Replace("cat catalog bobcat cat_1", "cat", u"dog", o);
  EXPECT_EQ(r.output, "dog catalog bobcat dog_1");
  EXPECT_EQ(r.count, 2);
  EXPECT_EQ(ReplacedText(r.count), u"2 occurrence(s) replaced.");
}

TEST(ReplaceAll, NonOverlappingLeftToRight) {
  auto r = Replace("aaa", "aa", u"b");
  EXPECT_EQ(r.output, "ba");
  EXPECT_EQ(r.count, 1);
  ASSERT_EQ(r.ranges.size(), 1u);
  EXPECT_EQ(r.ranges[0], std::make_pair(int64_t{0}, int64_t{1}));
}

TEST(ReplaceAll, AReplacementContainingTheFindTextIsNotSearchedAgain) {
  auto r = Replace("x y x", "x", u"xx");
  EXPECT_EQ(r.output, "xx y xx");
  EXPECT_EQ(r.count, 2);
  auto same = Replace("x", "x", u"x");
  EXPECT_EQ(same.output, "x");  // the caller sees no change and reports no occurrences
}

TEST(ReplaceAll, RangesAreInTheNewDocument) {
  auto r = Replace("ab ab ab", "ab", u"long", {}, 100);
  EXPECT_EQ(r.output, "long long long");
  ASSERT_EQ(r.ranges.size(), 3u);
  EXPECT_EQ(r.ranges[1], std::make_pair(int64_t{105}, int64_t{109}));
}

TEST(ReplaceAll, RegionEdgesAlwaysPassTheWholeWordTest) {
  ReplaceAllOptions o;
  o.wholeWord = true;
  // The region "cat" was cut out of "bobcats": its edges are boundaries whatever is outside.
  EXPECT_EQ(Replace("cat", "cat", u"dog", o).count, 1);
}

TEST(ReplaceAll, CaseFoldingIsAsciiOnly) {
  auto r = Replace("Foo FOO foo", "foo", u"x");
  EXPECT_EQ(r.output, "x x x");
  auto accented = Replace("\xC3\x89t\xC3\xA9", "\xC3\xA9", u"e");  // Ét é: É does not fold to é
  EXPECT_EQ(accented.output, "\xC3\x89te");
  EXPECT_EQ(accented.count, 1);
  ReplaceAllOptions exact;
  exact.matchCase = true;
  EXPECT_EQ(Replace("Foo FOO foo", "foo", u"x", exact).output, "Foo FOO x");
}

TEST(ReplaceAll, PreserveCaseUsesTheUnfoldedMatch) {
  ReplaceAllOptions o;
  o.preserveCase = true;
  EXPECT_EQ(Replace("FOO Foo fOO", "foo", u"bar", o).output, "BAR Bar bar");
}

TEST(ReplaceAll, NoOccurrences) {
  auto r = Replace("abc", "x", u"y");
  EXPECT_EQ(r.count, 0);
  EXPECT_EQ(r.output, "abc");
  EXPECT_EQ(Replace("abc", "", u"y").count, 0);
}

TEST(PreserveCase, Patterns) {
  EXPECT_EQ(ApplyPreserveCase(u"FOO", u"bar"), u"BAR");
  EXPECT_EQ(ApplyPreserveCase(u"Foo", u"bAR"), u"Bar");
  EXPECT_EQ(ApplyPreserveCase(u"fOO", u"BAR"), u"bar");
  EXPECT_EQ(ApplyPreserveCase(u"A1", u"xyz"), u"Xyz");  // a digit is not upper case
  EXPECT_EQ(ApplyPreserveCase(u"FOO", u""), u"");
}

TEST(History, MostRecentFirstExactMatchOnly) {
  History h;
  for (const char16_t* t : {u"a", u"b", u"c"}) PushHistory(h, t);
  PushHistory(h, u"a");
  EXPECT_EQ(h[0], u"a");
  EXPECT_EQ(h[1], u"c");
  EXPECT_EQ(h[2], u"b");
  PushHistory(h, u"A");  // a different entry: case counts
  EXPECT_EQ(h[0], u"A");
  EXPECT_EQ(h[1], u"a");
  for (int i = 0; i < 10; ++i) PushHistory(h, std::u16string(1, static_cast<char16_t>(u'0' + i)));
  EXPECT_EQ(h[0], u"9");
  EXPECT_EQ(h[9], u"0");  // the tenth push dropped the rest
  PushHistory(h, u"");
  EXPECT_EQ(h[0], u"9");
  PushHistory(h, std::u16string(300, u'z'));
  EXPECT_EQ(h[0].size(), 255u);
}

TEST(FindChoice, ForwardBackwardAndWrap) {
  MatchList m = {{2, 5}, {10, 13}, {20, 23}};
  EXPECT_EQ(ChooseMatch(m, 0, true, false), 0);
  EXPECT_EQ(ChooseMatch(m, 5, true, false), 1);   // the caret at a match's end finds the next
  EXPECT_EQ(ChooseMatch(m, 10, true, false), 1);  // a match starting at the caret counts
  EXPECT_EQ(ChooseMatch(m, 21, true, false), -1);
  EXPECT_EQ(ChooseMatch(m, 21, true, true), 0);
  EXPECT_EQ(ChooseMatch(m, 10, false, false), 0);  // before the selection start
  EXPECT_EQ(ChooseMatch(m, 2, false, false), -1);
  EXPECT_EQ(ChooseMatch(m, 2, false, true), 2);
  EXPECT_EQ(ChooseMatch({}, 0, true, true), -1);
}

TEST(FindTexts, Counts) {
  EXPECT_EQ(MatchesFoundText(1), u"1 match found.");
  EXPECT_EQ(MatchesFoundText(3), u"3 matches found.");
  EXPECT_EQ(MatchesFoundText(0), u"0 matches found.");
  EXPECT_TRUE(EqualsAsciiCaseInsensitive("FoO", "foo"));
  EXPECT_FALSE(EqualsAsciiCaseInsensitive("foo", "fo"));
  EXPECT_FALSE(EqualsAsciiCaseInsensitive("\xC3\x89", "\xC3\xA9"));
}
