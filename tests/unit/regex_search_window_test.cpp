// Find All's batched search: windows that never cut a character or a line end, and no match
// listed twice.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "search/regex.h"
#include "search/regex_batch.h"
#include "search/regex_testing.h"

namespace {
using Spans = std::vector<std::pair<int32_t, int32_t>>;

std::string Narrow(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// Every match from `position` on, in batches of `limit` that carry the empty-match rule over.
Spans Batches(std::u16string_view text, const CompiledPattern& pattern, uint64_t limit = ~0ull, uint64_t position = 0) {
  Spans out;
  bool emptyAtPosition = false;
  for (BatchEnd why = BatchEnd::Limit; why == BatchEnd::Limit;) {
    const size_t found = FindBatchMatches(
        text, pattern, position, limit, nullptr, &why, [&](const RegexMatch& m) { out.emplace_back(m.start, m.end); },
        &emptyAtPosition);
    if (found == 0) break;
  }
  return out;
}

// Sets a tiny first window for the searches of one test.
class WindowSize {
 public:
  explicit WindowSize(size_t units) : before_(SetSearchWindowForTesting(units)) {}
  ~WindowSize() { SetSearchWindowForTesting(before_); }

 private:
  size_t before_;
};
}  // namespace

// A window's end that falls inside a surrogate pair moves past it: the search runs on as over
// the whole text.
TEST(RegexWindows, NeverEndInsideASurrogatePair) {
  std::u16string text(kSearchWindow - 1, u'a');
  text += u"\U0001F600bc";  // the pair straddles the first window's end
  for (const char16_t* pattern : {u".+", u"a\U0001F600b", u"[^]+", u"\\S+"}) {
    CompiledPattern compiled = BuildSearchRegex(pattern, true, false);
    const Spans spans = Batches(text, compiled);
    ASSERT_EQ(spans.size(), 1u) << Narrow(pattern);
    EXPECT_EQ(spans[0].second, static_cast<int32_t>(pattern[0] == u'a' ? kSearchWindow + 2 : text.size()))
        << Narrow(pattern);
  }
}

// With a window of a few units every match crosses window ends; the matches are those of one
// search over the whole text, in random text with surrogate pairs, lone halves, CR LF line ends
// and long lines.
TEST(RegexWindows, TinyWindowsFindWhatOneWindowFinds) {
  std::mt19937 random(20261206);
  const std::u16string pieces[] = {u"a",
                                   u"b",
                                   u" ",
                                   u"\r\n",
                                   u"\n",
                                   u"\r",
                                   u"\U0001F600",
                                   u"\u00e9",
                                   u"_",
                                   u"ab",
                                   u"\U0001F600\U0001F601",
                                   std::u16string(1, char16_t(0xD83D))};
  std::vector<std::u16string> texts;
  for (int t = 0; t < 12; ++t) {
    std::u16string text;
    while (text.size() < 600) {
      if (random() % 40 == 0)
        text.append(100 + random() % 400, u"ab"[random() % 2]);  // a long line
      else
        text += pieces[random() % std::size(pieces)];
    }
    texts.push_back(text);
  }
  const char16_t* patterns[] = {u"a+",          u".+",          u"\\w+",        u"\\s+",     u"b\\r?\\n", u"\\r\\n",
                                u"[^a]+",       u"a\U0001F600", u"\U0001F600+", u".",        u"x*",       u"\\b",
                                u"\\B",         u"(?<=a)b",     u"a(?=b)",      u"a(?!\\r)", u"$",        u"^a",
                                u"[\\s\\S]{3}", u"(a|b)\\1",    u"\\n",         u"[^]",      u"a{2,5}?",  u"\\S+\\s",
                                u"(?<!\\r)\\n", u"(?:ab)+$",    u"\\r?$|a\\b"};
  for (const char16_t* pattern : patterns) {
    CompiledPattern compiled = BuildSearchRegex(pattern, true, false);
    ASSERT_TRUE(compiled.valid()) << Narrow(pattern);
    for (const std::u16string& text : texts) {
      const Spans whole = Batches(text, compiled);
      for (size_t window : {1, 2, 3, 7, 64}) {
        WindowSize tiny(window);
        ASSERT_EQ(Batches(text, compiled), whole) << Narrow(pattern) << " window " << window;
        ASSERT_EQ(Batches(text, compiled, 3), whole) << Narrow(pattern) << " in batches of 3, window " << window;
        MatchGroups first, windowed;
        bool cancelled = false;
        const RegexOutcome outcome = RegexSearch(compiled, text, 0, &first);
        ASSERT_EQ(RegexSearchCancellable(compiled, text, &windowed, nullptr, &cancelled), outcome) << Narrow(pattern);
        if (outcome == RegexOutcome::Match) {
          ASSERT_EQ(windowed.groups, first.groups) << Narrow(pattern);
        }
      }
    }
  }
}

namespace {
struct BatchCase {
  const char16_t* pattern;
  const char16_t* text;
  Spans expected;
};
void PrintTo(const BatchCase& c, std::ostream* os) {
  *os << Narrow(c.pattern) << " on " << Narrow(c.text);
}
}  // namespace

// No match is listed twice: an empty match found where the match before (itself empty) ended
// is that match; a non-empty one there is still found.
class RegexBatchMatches : public testing::TestWithParam<BatchCase> {};
TEST_P(RegexBatchMatches, AreListedOnce) {
  const BatchCase& c = GetParam();
  CompiledPattern compiled = BuildSearchRegex(c.pattern, true, false);
  EXPECT_EQ(Batches(c.text, compiled), c.expected);
  EXPECT_EQ(Batches(c.text, compiled, 1), c.expected) << "a match a batch";
  RegexScan scan(c.text);
  BatchEnd why;
  std::vector<RegexHit> hits;
  CollectBatch(c.text, compiled, scan, 1000, nullptr, &why, hits);
  Spans single;
  for (const RegexHit& hit : hits) single.emplace_back(hit.match.start, hit.match.end);
  EXPECT_EQ(single, c.expected) << "one batch, as Find All collects it";
}
INSTANTIATE_TEST_SUITE_P(Cases, RegexBatchMatches,
                         testing::Values(BatchCase{u"\\B", u"a  b", {{2, 2}}},
                                         BatchCase{u"(?=b)|b", u"ab", {{1, 1}, {1, 2}}},
                                         BatchCase{u"(?=\\n)", u"a\nb\r\n", {{1, 1}, {4, 4}}},
                                         // An empty match at a search's start moves on by a whole character.
                                         BatchCase{u"x*", u"\U0001F600a", {{0, 0}, {2, 2}}},
                                         BatchCase{u"a*", u"baa\U0001F600", {{0, 0}, {1, 3}, {3, 3}}}));
