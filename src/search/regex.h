// Regular expressions of the Regex Search dialog: patterns compiled with PCRE2 (16-bit, JIT)
// to behave like the ECMAScript grammar, matches, and the replacement transforms.
// Texts are UTF-16; positions are UTF-16 unit indexes.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/regex_pattern.h"

// A match is its place in the searched text; its text is read from there (MatchedText), so
// that millions of matches cost no more than their positions.
struct RegexMatch {
  int32_t start = 0;  // first UTF-16 unit of the match
  int32_t end = 0;    // start + length
  int32_t line = 0;   // 1-based line of start; 0 where not computed
};

// The text of `match` in the text it was found in.
inline std::u16string_view MatchedText(std::u16string_view text, const RegexMatch& match) {
  const size_t start = static_cast<size_t>(match.start);
  if (match.start < 0 || start > text.size() || match.end < match.start) return {};
  return text.substr(start, static_cast<size_t>(match.end - match.start));
}

// A compiled pattern; `valid()` is false for a pattern that does not compile.
class CompiledPattern {
 public:
  CompiledPattern();
  ~CompiledPattern();
  CompiledPattern(CompiledPattern&&) noexcept;
  CompiledPattern& operator=(CompiledPattern&&) noexcept;
  bool valid() const;
  int groupCount() const;  // capturing groups

  struct Impl;
  Impl* impl() const { return impl_.get(); }

 private:
  std::unique_ptr<Impl> impl_;
  friend CompiledPattern BuildSearchRegex(std::u16string_view, bool, bool);
};

// With Whole word the pattern becomes \b(?:pattern)\b; case-insensitive unless Match case.
CompiledPattern BuildSearchRegex(std::u16string_view pattern, bool matchCase, bool wholeWord);

// One match with its groups: offsets into `subject`, -1 for a group that did not take part.
struct MatchGroups {
  std::u16string_view subject;
  std::vector<std::pair<int64_t, int64_t>> groups;  // [0] is the whole match
};

// The text of group `i`; empty for a group that did not take part or does not exist.
inline std::u16string_view GroupText(const MatchGroups& match, size_t i) {
  if (i >= match.groups.size() || match.groups[i].first < 0) return {};
  return match.subject.substr(static_cast<size_t>(match.groups[i].first),
                              static_cast<size_t>(match.groups[i].second - match.groups[i].first));
}

enum class RegexOutcome { Match, NoMatch, TooComplex };

// One search from `offset`; `^` and lookbehind see the whole subject.
RegexOutcome RegexSearch(const CompiledPattern& pattern, std::u16string_view subject, size_t offset, MatchGroups* match,
                         bool notEmptyAtStart = false);

// One search from the start of `subject`, run in growing windows of kSearchWindow units and more,
// so that `cancel` is seen every few milliseconds even in one long search: a match that reaches a
// window's end is only partial there (hard partial matching) and the window grows. The result is
// that of RegexSearch(pattern, subject, 0); `cancelled` tells that it gave up.
constexpr size_t kSearchWindow = 1u << 22;
RegexOutcome RegexSearchCancellable(const CompiledPattern& pattern, std::u16string_view subject, MatchGroups* match,
                                    const std::atomic<bool>* cancel, bool* cancelled);
// Every non-overlapping match left to right; an empty match advances by one character.
// `complex` (when given) is set when the search ended because the pattern was too complex.
std::vector<RegexMatch> FindAllRegexMatches(std::u16string_view text, std::u16string_view pattern, bool matchCase,
                                            bool wholeWord, bool* complex = nullptr);

// The restricted template: "$&", "$0" and "$1".."$9" (one digit); everything else literal.
std::u16string ExpandReplacement(std::u16string_view replacementTemplate, const MatchGroups& match);
// The ECMAScript template as the standard library expands it: "$&" and "$0" the whole match,
// "$n" and "$nn" a group (nothing for a group the pattern lacks), "$$" a dollar sign, "$`" the
// text from `prefixStart` (where the previous match ended) to the match, "$'" the text after it.
std::u16string ExpandEcmaReplacement(std::u16string_view replacementTemplate, const MatchGroups& match,
                                     size_t prefixStart = 0);

// The regex dialog's own preserve-case rule.
std::u16string ApplyRegexPreserveCase(std::u16string_view replacement, std::u16string_view matched);

struct RegexReplaceFirstResult {
  bool found = false;
  std::u16string text;
  RegexMatch match;        // its place in the text searched
  std::u16string matched;  // the text it replaced
};
RegexReplaceFirstResult RegexReplaceFirst(std::u16string_view text, std::u16string_view pattern,
                                          std::u16string_view replacement, bool matchCase, bool wholeWord,
                                          bool preserveCase);
std::u16string RegexReplaceAll(std::u16string_view text, std::u16string_view pattern, std::u16string_view replacement,
                               bool matchCase, bool wholeWord, bool preserveCase, int* count = nullptr,
                               bool* complex = nullptr);

enum class BatchEnd { Limit, Exhausted, Cancelled, TooComplex };

// Up to `limit` matches from `position` on, each handed to `sink` as it is found (its line left
// at 0). Returns how many were found. Each search runs over [pos, end of text) as its own
// subject, so its first character counts as the beginning of the text for "^" and "\b"; the
// next search starts at the match end, one character further (a surrogate pair whole) after an
// empty match at the search start. An empty match where the match before ended is that match
// again: after an empty match found further on than its search's start, the next search takes
// no empty match at its start. `position` is written back; `emptyMatchAtPosition`, when given,
// carries that rule from one batch to the next (in: the batch before ended on an empty match at
// `position`; out: this one did), so a caller that runs one search in several batches keeps it
// with the position.
using MatchSink = std::function<void(const RegexMatch& match)>;
size_t FindBatchMatches(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position, uint64_t limit,
                        const std::atomic<bool>* cancel, BatchEnd* end, const MatchSink& sink,
                        bool* emptyMatchAtPosition = nullptr);
