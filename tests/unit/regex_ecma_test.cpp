// The ECMAScript grammar as the standard library reads it: patterns, line ends and templates.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "search/regex.h"
#include "search/regex_batch.h"

using namespace std::string_literals;

namespace {
using Spans = std::vector<std::pair<int32_t, int32_t>>;

Spans FindSpans(std::u16string_view text, std::u16string_view pattern, bool matchCase = true) {
  Spans out;
  for (const RegexMatch& m : FindAllRegexMatches(text, pattern, matchCase, false)) out.emplace_back(m.start, m.end);
  return out;
}

// The same search in batches, as Find All runs it.
Spans BatchSpans(std::u16string_view text, std::u16string_view pattern) {
  CompiledPattern compiled = BuildSearchRegex(pattern, true, false);
  RegexScan scan(text);
  BatchEnd why;
  std::vector<RegexHit> hits;
  CollectBatch(text, compiled, scan, 1000, nullptr, &why, hits);
  Spans out;
  for (const RegexHit& hit : hits) out.emplace_back(hit.match.start, hit.match.end);
  return out;
}

std::string Narrow(std::u16string_view s) {
  return std::string(s.begin(), s.end());
}

struct SearchCase {
  const char16_t* pattern;
  std::u16string text;
  Spans expected;
};
void PrintTo(const SearchCase& c, std::ostream* os) {
  *os << Narrow(c.pattern) << " on " << Narrow(c.text);
}
}  // namespace

// A failed attempt at the CR of a CR LF pair goes on at the LF, as at any other character (the
// comparison with std::wregex covers CR LF at large), and '.' stops at every line terminator of
// the grammar and nowhere else.
class RegexLineEnds : public testing::TestWithParam<SearchCase> {};
TEST_P(RegexLineEnds, CrLfIsTwoCharacters) {
  const SearchCase& c = GetParam();
  EXPECT_EQ(FindSpans(c.text, c.pattern), c.expected);
  EXPECT_EQ(BatchSpans(c.text, c.pattern), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, RegexLineEnds,
    testing::Values(SearchCase{u"\\s\\w+", u"one\r\ntwo", {{4, 8}}}, SearchCase{u"\\s", u"a\r\nb", {{1, 2}, {2, 3}}},
                    SearchCase{u".+", u"ab\r\ncd\u2028e\u2029f\u0085g", {{0, 2}, {4, 6}, {7, 8}, {9, 12}}},
                    SearchCase{u"a.c", u"a\rc a\nc a\u000Bc", {{8, 11}}}));

// Patterns the standard library reads one way and PCRE2 another are read the standard way.
class RegexEcmaPatterns : public testing::TestWithParam<SearchCase> {};
TEST_P(RegexEcmaPatterns, MatchAsTheGrammarReadsThem) {
  const SearchCase& c = GetParam();
  ASSERT_TRUE(BuildSearchRegex(c.pattern, true, false).valid());
  EXPECT_EQ(FindSpans(c.text, c.pattern), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, RegexEcmaPatterns,
    testing::Values(
        // The complement of the empty class matches any character, a pair as one (the empty
        // class itself the comparison with std::wregex covers).
        SearchCase{u"[^]", u"a\n\U0001F600", {{0, 1}, {1, 2}, {2, 4}}}, SearchCase{u"[^]a]", u"ba]", {{0, 3}}},
        // A back-reference to a group that did not take part matches empty.
        SearchCase{u"(a)|b\\1", u"b", {{0, 1}}}, SearchCase{u"(?:(x)|y)\\1z", u"yz", {{0, 2}}},
        // Escapes the grammar does not define stand for the letter itself.
        SearchCase{u"\\a\\e", u"ae\a\x1B", {{0, 2}}}, SearchCase{u"\\h+", u" h\th", {{1, 2}, {3, 4}}},
        SearchCase{u"\\H", u"hH", {{1, 2}}}, SearchCase{u"\\R", u"\r\nR", {{2, 3}}},
        SearchCase{u"\\g\\o\\N\\X\\p\\C", u"goNXpC", {{0, 6}}}, SearchCase{u"\\i\\j\\y", u"ijy", {{0, 3}}},
        SearchCase{u"[\\h\\a]+", u" ha\t", {{1, 3}}}, SearchCase{u"[\\Q\\E]", u"QE", {{0, 1}, {1, 2}}},
        SearchCase{u"\\k", u"k", {{0, 1}}},
        // \v is the vertical tab alone.
        SearchCase{u"\\v", u"\n\v\f\r\u0085\u2028", {{1, 2}}}, SearchCase{u"[\\v]", u"\n\v", {{1, 2}}},
        // \0 is NUL; back-references take every digit.
        SearchCase{u"\\0", u"0\0"s, {{1, 2}}},
        SearchCase{u"[\\0]1",
                   u"\0"
                   u"1"s,
                   {{0, 2}}},
        SearchCase{u"(a)\\1", u"aa", {{0, 2}}},
        SearchCase{u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10", u"abcdefghijj", {{0, 11}}},
        // Escaped punctuation and the shared escapes keep their meaning.
        SearchCase{u"\\.\\(\\*", u"a.(*", {{1, 4}}}, SearchCase{u"\\d\\s\\w\\x41\\u0042\\cJ", u"1 zAB\n", {{0, 6}}},
        SearchCase{u"[[:digit:].]+", u"a1.2b", {{1, 4}}}, SearchCase{u"(?<n>a)\\k<n>", u"aa", {{0, 2}}},
        // Assertions in look-aheads see the whole text ("^" is not where the look-ahead starts)...
        SearchCase{u"a(?=^b)", u"ab", {}}, SearchCase{u"a(?=\\bb)", u"ab", {}},
        SearchCase{u"a(?=\\Bb)", u"ab", {{0, 1}}},
        // ...and after an empty match, a non-empty one at the same place is looked for with the
        // text before it in view and with look-aheads free to match empty.
        SearchCase{u"(?=a)|^a", u"xa", {{1, 1}}}, SearchCase{u"x*?(?=a*)", u"xb", {{0, 0}, {0, 1}, {1, 1}, {2, 2}}}));

TEST(RegexEcmaPatterns, SyntaxOutsideTheGrammarIsRefused) {
  for (const char16_t* bad : {u"(*UCP)a", u"(*CR)a", u"a(*ACCEPT)b", u"(*SKIP)(*FAIL)", u"x(*F)", u"(?|a)", u"(?P<n>a)",
                              u"(?i)a", u"(a)\\2", u"[\\1]", u"a\\Z", u"\\z", u"(?>a+)b", u"a++", u"\\Aabc", u"(?#note)x",
                              u"\\Qa.b\\E", u"a{2}+", u"x\\Ky"})
    EXPECT_FALSE(BuildSearchRegex(bad, true, false).valid()) << Narrow(bad);
  // A reference to a group further on matches empty, as the grammar has it.
  for (const char16_t* good : {u"\\2(a)(b)", u"[(*]", u"\\(*", u"[*+]", u"[]", u"[^]", u"[]a]", u"\\h\\R\\e\\a\\g\\o",
                               u"(?<=a)b", u"[[:alpha:]]", u"(?:a|b)", u"a(?=b)", u"a(?!b)", u"(?<!a)b",
                               u"(?<n>a)\\k<n>", u"[(?i)]", u"\\(?i\\)", u"a+?", u"[\\]A]", u"\\\\A"})
    EXPECT_TRUE(BuildSearchRegex(good, true, false).valid()) << Narrow(good);
}

namespace {
struct TemplateCase {
  const char16_t* text;
  const char16_t* pattern;
  const char16_t* replacement;
  const char16_t* expected;
};
void PrintTo(const TemplateCase& c, std::ostream* os) {
  *os << Narrow(c.replacement) << " for " << Narrow(c.pattern) << " on " << Narrow(c.text);
}
}  // namespace

// Replace All without Preserve case expands templates as std::regex_replace does. The comparison
// with std::regex_replace covers templates at large; these are cases its patterns do not make.
class RegexEcmaTemplates : public testing::TestWithParam<TemplateCase> {};
TEST_P(RegexEcmaTemplates, ExpandAsTheStandardLibraryDoes) {
  const TemplateCase& c = GetParam();
  EXPECT_EQ(RegexReplaceAll(c.text, c.pattern, c.replacement, true, false, false), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, RegexEcmaTemplates,
    testing::Values(TemplateCase{u"abcdefghijk", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", u"$11$10$1", u"kja"},
                    TemplateCase{u"ab", u"(x)?a", u"[$1]", u"[]b"}, TemplateCase{u"ab", u"", u"$`", u"ab"}));
