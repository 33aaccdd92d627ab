// Regex pattern building and searching: any pattern text with any subject. Translation and
// compilation never fail hard; every match found lies in the text, in order, without overlap;
// Replace All equals a naive loop over single searches; Find All's batches, cut anywhere, give
// the one list, with each match's line and UTF-8 bytes equal to a naive count; a search run in
// tiny windows finds what one search over the whole subject finds.
#include <atomic>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "reference_utf.h"
#include "search/regex.h"
#include "search/regex_batch.h"
#include "search/regex_pattern.h"
#include "search/regex_testing.h"

namespace {
bool High(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool Low(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Replace All written as the naive loop its description gives: search, copy what lies before
// the match, expand the template, go on at the match's end; after an empty match, a non-empty
// one at the same place first, then one character (a surrogate pair whole) further.
std::u16string NaiveReplaceAll(std::u16string_view text, const CompiledPattern& pattern, std::u16string_view replacement,
                               bool preserveCase, int& count, bool& complex) {
  std::u16string out;
  size_t copied = 0, at = 0;
  bool afterEmpty = false;
  count = 0;
  complex = false;
  while (at <= text.size()) {
    MatchGroups m;
    const RegexOutcome r = RegexSearch(pattern, text, at, &m, afterEmpty);
    if (r == RegexOutcome::TooComplex) {
      complex = true;
      return std::u16string(text);
    }
    if (r == RegexOutcome::NoMatch) {
      if (!afterEmpty || at >= text.size()) break;
      afterEmpty = false;
      at += (at + 1 < text.size() && High(text[at]) && Low(text[at + 1])) ? 2 : 1;
      continue;
    }
    const size_t start = static_cast<size_t>(m.groups[0].first), end = static_cast<size_t>(m.groups[0].second);
    FUZZ_CHECK(start >= at && start <= end && end <= text.size());
    out.append(text.substr(copied, start - copied));
    out += preserveCase ? ApplyRegexPreserveCase(ExpandReplacement(replacement, m), GroupText(m, 0))
                        : ExpandEcmaReplacement(replacement, m, copied);
    copied = end;
    at = end;
    afterEmpty = start == end;
    ++count;
  }
  out.append(text.substr(copied));
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  FuzzInput in(data, size);
  const uint8_t how = in.Byte();
  const bool matchCase = how & 1, wholeWord = how & 2, preserveCase = how & 4;
  const std::u16string pattern = (how & 8) ? UnitsOf(in.Piece()) : TextOf(in.Piece());
  const std::u16string replacement = TextOf(in.Bytes(in.Byte() % 16));
  const std::u16string text = (how & 16) ? UnitsOf(in.Rest()) : TextOf(in.Rest());

  (void)TranslateEcmaPattern(pattern);
  const CompiledPattern compiled = BuildSearchRegex(pattern, matchCase, wholeWord);
  if (!compiled.valid()) {
    FUZZ_CHECK(FindAllRegexMatches(text, pattern, matchCase, wholeWord).empty());
    FUZZ_CHECK(RegexReplaceAll(text, pattern, replacement, matchCase, wholeWord, preserveCase) == text);
    return 0;
  }
  FUZZ_CHECK(compiled.groupCount() >= 0);

  // Find All: inside the text, in order, no overlap.
  bool complex = false;
  const std::vector<RegexMatch> all = FindAllRegexMatches(text, pattern, matchCase, wholeWord, &complex);
  int32_t previousEnd = 0;
  for (const RegexMatch& m : all) {
    FUZZ_CHECK(m.start >= previousEnd && m.start <= m.end && m.end <= static_cast<int32_t>(text.size()));
    previousEnd = m.end;
  }

  // Replace All against the naive loop.
  if (!pattern.empty()) {
    int count = 0, naiveCount = 0;
    bool tooComplex = false, naiveComplex = false;
    const std::u16string replaced =
        RegexReplaceAll(text, pattern, replacement, matchCase, wholeWord, preserveCase, &count, &tooComplex);
    const std::u16string naive = NaiveReplaceAll(text, compiled, replacement, preserveCase, naiveCount, naiveComplex);
    FUZZ_CHECK(tooComplex == naiveComplex);
    if (!tooComplex) {
      FUZZ_CHECK(replaced == naive);
      FUZZ_CHECK(count == naiveCount);
      if (!text.empty() && !complex) FUZZ_CHECK(static_cast<size_t>(count) == all.size());
    }
    const RegexReplaceFirstResult first = RegexReplaceFirst(text, pattern, replacement, matchCase, wholeWord, preserveCase);
    if (first.found) FUZZ_CHECK(first.match.start <= first.match.end && first.match.end <= static_cast<int32_t>(text.size()));
  }

  // Find All's batches: one batch of everything, and batches of 1..4 matches, give one list;
  // the line and bytes of each match are those of a naive count.
  std::vector<RegexHit> whole, pieces;
  {
    RegexScan scan(text);
    BatchEnd end;
    CollectBatch(text, compiled, scan, ~0ull, nullptr, &end, whole);
  }
  {
    RegexScan scan(text);
    BatchEnd end = BatchEnd::Limit;
    for (uint32_t k = 0; end == BatchEnd::Limit && k < 100000; ++k)
      CollectBatch(text, compiled, scan, 1 + (how >> 6) + k % 3, nullptr, &end, pieces);
  }
  FUZZ_CHECK(whole.size() == pieces.size());
  // The UTF-8 bytes before each index, counted naively once: a pair is four bytes, a lone
  // surrogate three (U+FFFD), and an index between a pair's halves counts the high half alone.
  std::vector<int64_t> bytesBefore(text.size() + 1, 0);
  bool highWaiting = false;  // the unit before is a high half not yet paired
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    int width = c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    if (highWaiting && Low(c)) width = 1;  // the pair's four bytes: three counted for its high half
    highWaiting = High(c) && !(highWaiting && Low(c));
    bytesBefore[i + 1] = bytesBefore[i] + width;
  }
  size_t lineFeeds = 0, counted = 0;
  for (size_t i = 0; i < whole.size(); ++i) {
    const RegexHit& hit = whole[i];
    FUZZ_CHECK(hit.match.start == pieces[i].match.start && hit.match.end == pieces[i].match.end);
    FUZZ_CHECK(hit.match.line == pieces[i].match.line && hit.byteStart == pieces[i].byteStart &&
               hit.byteEnd == pieces[i].byteEnd);
    FUZZ_CHECK(hit.match.start >= 0 && hit.match.start <= hit.match.end &&
               static_cast<size_t>(hit.match.end) <= text.size());
    for (; counted < static_cast<size_t>(hit.match.start); ++counted) lineFeeds += text[counted] == u'\n';
    FUZZ_CHECK(hit.match.line == static_cast<int32_t>(1 + lineFeeds));
    FUZZ_CHECK(hit.byteStart == bytesBefore[hit.match.start]);
    FUZZ_CHECK(hit.byteEnd == bytesBefore[hit.match.end]);
  }

  // The cancellable search in tiny windows equals one search over the whole subject.
  const size_t before = SetSearchWindowForTesting(1 + (how >> 5));
  MatchGroups windowed, plain;
  bool cancelled = false;
  std::atomic<bool> cancel{false};
  const RegexOutcome a = RegexSearchCancellable(compiled, text, &windowed, &cancel, &cancelled);
  SetSearchWindowForTesting(before);
  const RegexOutcome b = RegexSearch(compiled, text, 0, &plain);
  FUZZ_CHECK(!cancelled);
  FUZZ_CHECK(a == b);
  if (a == RegexOutcome::Match) FUZZ_CHECK(windowed.groups == plain.groups);
  return 0;
}
